// The built-in null device "Null Output": always present, 2 output and 2 input channels,
// 44100, 48000, 88200 or 96000 Hz, 32 to 4096 frames per buffer. It runs in real time on its
// own thread with absolute deadlines, or, in manual mode, one buffer per request on the
// caller's thread (deterministic tests). Its input reads silence, or with the data source
// 'loop' the output it played one buffer earlier. It can write all it plays to a WAV file.
#pragma once

#include "platform/coreaudio/audio_types.h"

constexpr char kNullDeviceName[] = "Null Output";
constexpr UInt32 kNullDeviceSourceSilence = FourCC("sil ");
constexpr UInt32 kNullDeviceSourceLoopback = FourCC("loop");
constexpr UInt32 kNullDeviceClockInternal = FourCC("intr");

AudioDeviceID GetNullAudioDevice();

// Capture: while a path is set, every buffer the device plays (the IO procedures' output plus
// the output contributors) goes to a 32-bit float WAV file, through a ring to a writer
// thread. One file covers one run of the device: it is written as PATH.part and renamed to
// PATH with its final header when the device stops, the path changes or the rate changes; the
// next run writes a new file. Buffers in which nothing played (no procedure started and no
// contributor) are not written. null or "" stops capturing. -120 when the folder is missing,
// -36 when the file cannot be made.
OSStatus SetNullDeviceCapturePath(const char* path);

struct NullDeviceCaptureStats {
  UInt64 framesWritten = 0;  // frames in the files finished so far and the one being written
  UInt64 framesDropped = 0;  // frames lost because the writer fell behind or the file was full
  OSStatus lastError = 0;    // the last file error
};
void GetNullDeviceCaptureStats(NullDeviceCaptureStats* stats);

// Manual mode (only while the device is not running, else 'nope'): the device runs no
// thread; RunNullDeviceCycles plays the given number of buffers at once on the calling
// thread, with time stamps on a virtual clock that starts at the device start and advances
// one buffer duration per buffer. Answers the number of buffers played: 0 when the device is
// not running or not in manual mode.
OSStatus SetNullDeviceManualMode(Boolean manual);
UInt32 RunNullDeviceCycles(UInt32 cycles);
