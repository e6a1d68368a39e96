// The per-cycle routines around the stream mixer: summing the channels that share an
// instrument or bus channel's output pair into its half, and priming the first halves.
#pragma once

#include <cstdint>

struct EngineChannel;

// For the channels linked after `reference` (through next) on the same output pair that wrote
// their half this cycle: 16-bit channels (integerPairMix) are summed into the reference's half
// at unity and their meters take the largest magnitude of each side; their written bytes are
// cleared. Then the reference's position walk and, unless it skips the renderer, its render at
// unity; the position and automation cursor are stored.
void SumPairChannels(EngineChannel* list, EngineChannel* reference, uint32_t selector);
// The same for float channels: each is summed into the reference's half at unity and its
// meters come from its block's peak x 32768, at most 32767.
void SumPairChannelsFloat(EngineChannel* reference, uint32_t selector);
