// The per-cycle work of an instrument or bus channel (the reference): the halves that the
// channels linked after it on the same output pair wrote this cycle are summed into its own
// half at unity (their meters taken from them, their written bytes cleared, so the output path
// plays them once, inside the reference), and the reference's own block: its position walk
// and, unless it skips the renderer (channelFlags bit 5), its render at unity mixed into its
// half. A bus renders its chain over what was summed into its half (sends, group members); an
// instrument renders first and the sums add to what it played. Engine thread; no allocation.
#pragma once

#include <cstdint>

struct EngineChannel;

// Sums in 16-bit integers (a channel with integerPairMix): saturating at the 16-bit limits.
void SumPairChannels(EngineChannel* reference, uint32_t selector);
// Sums in float, without clamping.
void SumPairChannelsFloat(EngineChannel* reference, uint32_t selector);

// The meter words of a half (interleaved stereo): the largest magnitude of each side in 16-bit
// terms, at most 32767.
void MeterPairHalf(EngineChannel* channel, const float* half, int32_t frames);
