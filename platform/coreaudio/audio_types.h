// The records, codes and procedure types of the audio hardware interface: device ids, time
// stamps, buffer lists, stream descriptions, property ids and result codes. Samples are
// interleaved Float32 in every buffer this layer hands out.
#pragma once

#include <cstddef>

#include "platform/memory/mac_types.h"

using Float32 = float;
using Float64 = double;

using AudioObjectID = UInt32;
using AudioDeviceID = AudioObjectID;
using AudioHardwarePropertyID = UInt32;
using AudioDevicePropertyID = UInt32;

constexpr AudioDeviceID kAudioDeviceUnknown = 0;

// SMPTE time as time stamps carry it (24 bytes).
struct SMPTETime {
  SInt16 mSubframes = 0;
  SInt16 mSubframeDivisor = 0;
  UInt32 mCounter = 0;
  UInt32 mType = 0;
  UInt32 mFlags = 0;
  SInt16 mHours = 0;
  SInt16 mMinutes = 0;
  SInt16 mSeconds = 0;
  SInt16 mFrames = 0;
};

// A moment on a device's sample clock and on the host clock (nanoseconds of CLOCK_MONOTONIC).
struct AudioTimeStamp {
  Float64 mSampleTime = 0;
  UInt64 mHostTime = 0;
  Float64 mRateScalar = 0;
  UInt64 mWordClockTime = 0;
  SMPTETime mSMPTETime;
  UInt32 mFlags = 0;
  UInt32 mReserved = 0;
};

enum : UInt32 {
  kAudioTimeStampSampleTimeValid = 1u << 0,
  kAudioTimeStampHostTimeValid = 1u << 1,
  kAudioTimeStampRateScalarValid = 1u << 2,
  kAudioTimeStampWordClockTimeValid = 1u << 3,
  kAudioTimeStampSMPTETimeValid = 1u << 4,
  kAudioTimeStampSampleHostTimeValid = kAudioTimeStampSampleTimeValid | kAudioTimeStampHostTimeValid,
};

// One buffer of interleaved samples: mNumberChannels samples per frame.
struct AudioBuffer {
  UInt32 mNumberChannels = 0;
  UInt32 mDataByteSize = 0;
  void* mData = nullptr;
};

// A counted list of buffers; lists longer than one are allocated with room for
// mNumberBuffers entries (AudioBufferListSize).
struct AudioBufferList {
  UInt32 mNumberBuffers = 0;
  AudioBuffer mBuffers[1];
};

constexpr size_t AudioBufferListSize(UInt32 buffers) {
  return offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * buffers;
}

// A range of values, for sample rates and buffer sizes (equal ends: one value).
struct AudioValueRange {
  Float64 mMinimum = 0;
  Float64 mMaximum = 0;
};

// A translation request: the input (for example a 32-bit source id) in, a CFStringRef out.
struct AudioValueTranslation {
  void* mInputData = nullptr;
  UInt32 mInputDataSize = 0;
  void* mOutputData = nullptr;
  UInt32 mOutputDataSize = 0;
};

// The format of a stream: 40 bytes in memory. StoreStreamDescription/LoadStreamDescription
// (stream_description.h) give its big-endian image for records that keep one.
struct AudioStreamBasicDescription {
  Float64 mSampleRate = 0;
  UInt32 mFormatID = 0;
  UInt32 mFormatFlags = 0;
  UInt32 mBytesPerPacket = 0;
  UInt32 mFramesPerPacket = 0;
  UInt32 mBytesPerFrame = 0;
  UInt32 mChannelsPerFrame = 0;
  UInt32 mBitsPerChannel = 0;
  UInt32 mReserved = 0;
};
static_assert(sizeof(AudioStreamBasicDescription) == 40);

constexpr Float64 kAudioStreamAnyRate = 0.0;
constexpr UInt32 kAudioFormatLinearPCM = FourCC("lpcm");
enum : UInt32 {
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
};

// Stream usage of one IO procedure ('suse'): one on/off word per stream of the side; lists
// longer than one are allocated with AudioStreamUsageSize.
struct AudioHardwareIOProcStreamUsage {
  void* mIOProc = nullptr;
  UInt32 mNumberStreams = 0;
  UInt32 mStreamIsOn[1] = {0};
};

constexpr size_t AudioStreamUsageSize(UInt32 streams) {
  return offsetof(AudioHardwareIOProcStreamUsage, mStreamIsOn) + sizeof(UInt32) * streams;
}

// Called once per device buffer on the device's real-time thread. The output buffers are
// zeroed before the call; what a procedure leaves there is added to the device output.
using AudioDeviceIOProc = OSStatus (*)(AudioDeviceID inDevice, const AudioTimeStamp* inNow,
                                       const AudioBufferList* inInputData, const AudioTimeStamp* inInputTime,
                                       AudioBufferList* outOutputData, const AudioTimeStamp* inOutputTime,
                                       void* inClientData);

// Called on the notification thread (never the real-time thread) when a property changed.
using AudioDevicePropertyListenerProc = OSStatus (*)(AudioDeviceID inDevice, UInt32 inChannel, Boolean isInput,
                                                     AudioDevicePropertyID inPropertyID, void* inClientData);

// Wildcards for listeners.
constexpr AudioDevicePropertyID kAudioPropertyWildcardPropertyID = FourCC("****");
constexpr UInt32 kAudioPropertyWildcardChannel = 0xFFFFFFFFu;
// Channel 0 names the device (or the side) as a whole; channels 1..n the single channels.
constexpr UInt32 kAudioDevicePropertyChannelMaster = 0;

// Hardware properties.
enum : AudioHardwarePropertyID {
  kAudioHardwarePropertyDevices = FourCC("dev#"),
  kAudioHardwarePropertyDefaultInputDevice = FourCC("dIn "),
  kAudioHardwarePropertyDefaultOutputDevice = FourCC("dOut"),
  kAudioHardwarePropertyRunLoop = FourCC("rnlp"),
};

// Device properties and notifications.
enum : AudioDevicePropertyID {
  kAudioDevicePropertyDeviceNameCFString = FourCC("lnam"),
  kAudioDevicePropertyDeviceUID = FourCC("uid "),
  kAudioDevicePropertyChannelNameCFString = FourCC("lchn"),
  kAudioDevicePropertyChannelCategoryNameCFString = FourCC("lccn"),
  kAudioDevicePropertyTransportType = FourCC("tran"),
  kAudioDevicePropertyDeviceIsAlive = FourCC("livn"),
  kAudioDevicePropertyDeviceIsRunning = FourCC("goin"),
  kAudioDevicePropertyStreamConfiguration = FourCC("slay"),
  kAudioDevicePropertyStreamFormat = FourCC("sfmt"),
  kAudioDevicePropertyStreamFormats = FourCC("sfm#"),
  kAudioDevicePropertyPhysicalFormat = FourCC("pft "),
  kAudioDevicePropertyBufferFrameSize = FourCC("fsiz"),
  kAudioDevicePropertyBufferFrameSizeRange = FourCC("fsz#"),
  kAudioDevicePropertyNominalSampleRate = FourCC("nsrt"),
  kAudioDevicePropertyAvailableNominalSampleRates = FourCC("nsr#"),
  kAudioDevicePropertyIOProcStreamUsage = FourCC("suse"),
  kAudioDevicePropertyLatency = FourCC("ltnc"),
  kAudioDevicePropertyDataSource = FourCC("ssrc"),
  kAudioDevicePropertyDataSources = FourCC("ssc#"),
  kAudioDevicePropertyDataSourceNameForIDCFString = FourCC("lscn"),
  kAudioDevicePropertyClockSource = FourCC("csrc"),
  kAudioDevicePropertyClockSources = FourCC("csc#"),
  kAudioDevicePropertyClockSourceNameForIDCFString = FourCC("lcsn"),
  kAudioDeviceProcessorOverload = FourCC("over"),
};

// Transport types ('tran').
enum : UInt32 {
  kAudioDeviceTransportTypeBuiltIn = FourCC("bltn"),
  kAudioDeviceTransportTypeUSB = FourCC("usb "),
  kAudioDeviceTransportTypeVirtual = FourCC("virt"),
  kAudioDeviceTransportTypeAggregate = FourCC("grup"),
  kAudioDeviceTransportTypeAutoAggregate = FourCC("fgrp"),
};

// Result codes of the audio hardware calls.
enum : OSStatus {
  kAudioHardwareNoError = 0,
  kAudioHardwareNotRunningError = OSStatus(FourCC("stop")),
  kAudioHardwareUnspecifiedError = OSStatus(FourCC("what")),
  kAudioHardwareUnknownPropertyError = OSStatus(FourCC("who?")),
  kAudioHardwareBadPropertySizeError = OSStatus(FourCC("!siz")),
  kAudioHardwareIllegalOperationError = OSStatus(FourCC("nope")),
  kAudioHardwareBadDeviceError = OSStatus(FourCC("!dev")),
  kAudioHardwareBadStreamError = OSStatus(FourCC("!str")),
  kAudioHardwareUnsupportedOperationError = OSStatus(FourCC("unop")),
  kAudioDeviceUnsupportedFormatError = OSStatus(FourCC("!dat")),
  kAudioDevicePermissionsError = OSStatus(FourCC("!hog")),
};
