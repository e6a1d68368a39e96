// Stream decoder set-up: before an audio track streams, its engine channel gets the decode
// procedure that turns the raw bytes read from the file into blocks in the engine's format
// (no decoder, the same-rate copier, the resampler, the Sound Converter, the Ogg decoder,
// optionally wrapped for a format-converter plug-in in the channel's chain).
#pragma once

#include <cstdint>

#include "audio/streams/stream_media_hooks.h"
#include "platform/memory/mac_types.h"

struct EngineChannel;

// Bytes of stream buffer per channel (a user setting).
constexpr uint32_t kDefaultStreamBufferBytes = 262144;
extern uint32_t gStreamBufferBytes;
// Bit 0 some source is 8-bit, bit 1 some source needs rate conversion, bit 3 some source goes
// through a Sound Converter.
constexpr uint16_t kStreamFormat8Bit = 0x0001;
constexpr uint16_t kStreamFormatRateConversion = 0x0002;
constexpr uint16_t kStreamFormatSoundConverter = 0x0008;
extern uint16_t gStreamFormatFlags;
// The Sound Manager (major x 256 + minor) and QuickTime (major x 256 + minor x 16 + bug)
// versions the decoders require; set at start-up.
extern uint16_t gSoundManagerVersion;
extern uint16_t gQuickTimeVersion;

constexpr uint8_t kDecodeKindNone = 0;
constexpr uint8_t kDecodeKindOwn = 1;
constexpr uint8_t kDecodeKindChain = 2;

constexpr int16_t kDecodeErrSoundManagerTooOld = 65;
constexpr int16_t kDecodeErrRatesOutOfRange = 61;
constexpr int16_t kDecodeErrBadRate = -225;

// Sets up the channel's decoder for its source (sourceFormat, sourceWidth, sampleRate,
// sourceChannels of the channel). blockFrames: the engine's buffer frames; outputWidth: above
// 16 means float; mode 3 keeps the budget for stereo sources; force installs a decoder even
// when the source already matches. 0, or a code (see the constants above; -50, -4, -108 and
// the converter's errors); the caller plays the track silent on a non-zero result.
int16_t OpenSoundConverters(EngineChannel* channel, int32_t blockFrames, int32_t spare, int16_t outputWidth,
                            int16_t mode, const AudioFileDescription* description, bool force, float engineRate);
// Releases what OpenSoundConverters allocated; safe to call twice.
void CloseStreamDecoder(EngineChannel* channel);

// Linear PCM at the engine's rate: the input half converted to the output format in one pass
// (16-bit, 8-bit or float output from 8, 16, 24 or 32-bit integers or floats, either byte
// order). Silence when the half holds no data.
int16_t CopySameRateBlock(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag);
// Wraps the inner decode procedure for a channel whose chain holds a format-converter plug-in.
int16_t DecodeThroughConverterChain(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag);
