// Mixing one decoded stream block into an engine channel's output half: the channel's sample
// position moves on in segments (cut at automation records, the loop end and the region end),
// the left and right gains are applied, mono is spread to both sides, the fade state runs, and
// the block goes on to the channel's target channel and to its aux sends.
//
// A channel's output halves (mixBuffer) are interleaved stereo Float32 at every width. The 8
// and 16-bit paths compute in fixed point (Q15, 32768 = unity) and store their 16-bit results
// as value / 32768 (exact), so sums into those halves saturate at the 16-bit limits; the float
// path scales by side gain x wetScale / 32768. Runs on the engine thread inside the mix cycle;
// allocates nothing and tries the automation lock once.
#pragma once

#include <cstdint>

struct EngineChannel;

// The block of the channel's stream for output selector `selector`: for the channel and each
// further channel of its stream (streamChannels) that is not stopped, by its width (bytes per
// sample 1: MixStream8; 2: MixStream16, after a copy into the raw copy buffer; 3 (24-bit
// big-endian) and 4 (Float32): MixStreamFloat), then on to the next channel's part of the
// block (frames x bytes x that channel's channels). `ready` is the caller's active flag.
// Nothing while the channel is suspended, and nothing without a block: a bus or instrument
// channel that rendered nothing of its own keeps what was summed into its half.
void MixStreamBlock(EngineChannel* channel, const void* block, uint32_t selector, uint8_t ready,
                    int32_t bytesPerSample, int32_t channels);

// One channel's block in each width; `channels` is the block's channels per frame (1 or 2).
void MixStream16(EngineChannel* channel, const int16_t* block, uint32_t selector, uint8_t active, int32_t channels);
void MixStream8(EngineChannel* channel, const int8_t* block, uint32_t selector, uint8_t active, int32_t channels);
// bytesPerSample 4: Float32 samples; 3: 24-bit big-endian integers (full scale 8388608).
void MixStreamFloat(EngineChannel* channel, const void* block, uint32_t selector, uint8_t active, int32_t channels,
                    int32_t bytesPerSample = 4);

// The segment walk alone over one block, for channels that do not mix this cycle: applies the
// automation it passes and answers the new position; *cursor gets the automation cursor.
// The caller stores both.
int64_t AdvanceStreamPosition(EngineChannel* channel, uint8_t** cursor);

// The fade ramps over the output half of a selector (interleaved stereo): fading out, frame i
// of n is scaled by (n - i) / n; fading in by i / n.
void RampInt16(EngineChannel* channel, uint32_t selector, bool fadeIn);
// Rewrites the float path's block (bytes per sample 3 or 4) with each side's gain moving
// linearly from the previous gains to the current ones across it; marks the previous unused.
void RampFloat(EngineChannel* channel, uint32_t selector, const void* block, int32_t bytesPerSample,
               int32_t channels);
