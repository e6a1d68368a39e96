// The output stage of a rendered block: the block (16-bit, 24-bit big-endian or Float32, mono
// or interleaved stereo) goes into the channel's output block of a selector as interleaved
// stereo Float32, scaled by the channel's left and right gains (32768 = unity).
//
// Interim: the engine's stream-block mixer with sends, fades and automation comes with the
// stream decoding; this stage applies the gains and marks the selector rendered.
#pragma once

#include <cstdint>

struct EngineChannel;

void MixStreamBlock(EngineChannel* channel, const void* block, uint32_t selector, uint8_t ready,
                    int32_t bytesPerSample, int32_t channels);
