// The Sound Converter: decodes a stream of compressed or foreign sample data, handed over in
// pieces by a fill-buffer-data procedure, into linear PCM of a stated format, rate and channel
// count. Decoding stands on FFmpeg (a parser and decoder for the source's codec, a resampler
// for the output); the input arrives only through the fill procedure, never from a file.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Sound Manager result codes the converter answers.
constexpr OSErr kBadFormatErr = -206;       // no decoder for the source's format
constexpr OSErr kNotEnoughBufferSpace = -207;
constexpr OSErr kSiUnknownInfoType = -231;

// Output flags of SoundConverterFillBuffer.
constexpr uint32_t kSoundConverterDidntFillBuffer = 1;  // the source ended before the buffer filled
constexpr uint32_t kSoundConverterHasLeftOverData = 2;

constexpr uint32_t kExtendedSoundData = 0x4000;
constexpr uint32_t kExtendedSoundSampleCountNotValid = 1;
constexpr uint32_t kExtendedSoundBufferSizeValid = 2;
constexpr uint32_t kExtendedSoundCommonFrameSizeValid = 8;
// bufferFlags: this offer is the last of the source (the converter drains its decoder after it).
constexpr uint32_t kExtendedSoundBufferEndOfStream = 1;

// A description of one side of the conversion (in memory; never stored).
struct SoundComponentData {
  uint32_t flags = 0;
  OSType format = 0;
  int16_t numChannels = 0;
  int16_t sampleSize = 0;
  uint32_t sampleRate = 0;  // 16.16 unsigned fixed
  int32_t sampleCount = 0;
  uint8_t* buffer = nullptr;
  int32_t reserved = 0;
};

// What a fill procedure hands the converter: the description of the data it offers, the
// offer itself in desc.buffer (bufferSize bytes).
struct ExtendedSoundComponentData {
  SoundComponentData desc;  // desc.flags carries kExtendedSoundData
  int32_t recordSize = 68;
  int32_t extendedFlags = 0;
  int32_t bufferSize = 0;
  int32_t frameCount = 0;
  int32_t* frameSizesArray = nullptr;
  int32_t commonFrameSize = 0;
  void* extensionsPtr = nullptr;
  int32_t extensionsSize = 0;
  uint32_t bufferFlags = 0;
  uint32_t bufferFlagsMask = 0;
};

// Offers the next piece of input: stores the offer's record in *data and answers true, or
// false when there is nothing more to offer for now.
using SoundConverterFillBufferDataProc = bool (*)(SoundComponentData** data, void* refCon);

struct SoundConverterRecord;
using SoundConverter = SoundConverterRecord*;

// Info selectors.
constexpr OSType kSoundConverterInfoWave = FourCC("wave");  // a WAVE format block (WAVEFORMATEX)
constexpr OSType kSoundConverterInfoVbr = FourCC("cvbr");   // variable bit rate on/off

// Opens a converter from `input` to `output` (output formats "twos", "sowt", "fl32", "NONE"
// at 8/16 bits big-endian). -206 when no decoder exists for the input format, -50 for a bad
// description, -108 without memory.
OSErr SoundConverterOpen(const SoundComponentData* input, const SoundComponentData* output,
                         SoundConverter* converter);
OSErr SoundConverterClose(SoundConverter converter);
// 'wave': the WAVE format block (`info` bytes point at it, `size` its length); 'cvbr': `info`
// is non-null for on. Other selectors answer -231.
OSErr SoundConverterSetInfo(SoundConverter converter, OSType selector, const void* info, uint32_t size);
// For `inputBytesTarget` bytes of input: how many input frames and bytes that is and the bytes
// of output it gives. -207 when the target is too small for one packet of the source.
OSErr SoundConverterGetBufferSizes(SoundConverter converter, uint32_t inputBytesTarget, uint32_t* inputFrames,
                                   uint32_t* inputBytes, uint32_t* outputBytes);
OSErr SoundConverterBeginConversion(SoundConverter converter);
// Fills up to `outputBytes` of `destination`, asking `fill` for input as it needs it. Answers
// the bytes and frames written; outputFlags gets kSoundConverterDidntFillBuffer when the
// input ran out first. A decoder error gives no samples for the bad piece (never stale data)
// and is answered (negative) after the rest of the buffer was filled as far as possible.
OSErr SoundConverterFillBuffer(SoundConverter converter, SoundConverterFillBufferDataProc fill, void* refCon,
                               void* destination, uint32_t outputBytes, uint32_t* bytesWritten,
                               uint32_t* framesWritten, uint32_t* outputFlags);
