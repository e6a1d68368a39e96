// Conversions of stream blocks in place, between the file's order and format and the engine's.
#pragma once

#include <cstdint>

// Reverses the order of the frames of a block in place, each frame's samples kept together and
// in order; samples above 16 bits are taken as 32-bit words.
void ReverseFrames(void* buffer, int32_t frames, int32_t channels, int16_t bits);

// Integer samples (8-bit signed, 16-bit, 24-bit packed big-endian, 32-bit; big-endian) to
// Float32 without scaling; without data the target's frames x channels samples are zeroed.
// The block is walked from its end, so the target may be the source (in place, widening).
void ConvertIntegerToFloat(const void* source, float* target, int32_t frames, int32_t channels, int16_t bits,
                           bool hasData);
// The same for little-endian ('sowt') samples of 16, 24 and 32 bits.
void ConvertSwappedToFloat(const void* source, float* target, int32_t frames, int32_t channels, int16_t bits,
                           bool hasData);

struct EngineChannel;
// For channels of 16 bits or less: 16-bit samples from the channel's source (16-bit as they
// stand, 24-bit by their upper two bytes, 32-bit by the upper 16 bits, 'fl32' x 32768
// truncated); without data `bytes` zeroed; other source widths -4. Channels above 16 bits go
// to ConvertIntegerToFloat. `bytes`: the target's size.
int16_t ConvertBlockTo16(EngineChannel* channel, const void* source, void* target, bool hasData, int32_t bytes);
// A half's block in the channel's own format: 'sowt' channels above 16 bits by
// ConvertSwappedToFloat (-4 at 16 bits or less), others by ConvertBlockTo16 (nothing to do
// without data and without a chain).
int16_t ConvertChannelBlock(EngineChannel* channel, int32_t half, void* target, bool hasData);
