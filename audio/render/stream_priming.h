// The first-cycle priming of the output path: before the device hears anything, each channel
// renders its first blocks into its output halves (the half given by the parity of the blocks
// it primed), channels fed live catch up with their source, and channels whose insert chain
// has latency render their pre-roll so that their output lines up with the others. Runs on the
// device thread (or the engine thread) while the output path primes; allocates nothing.
#pragma once

#include <cstdint>

struct EngineChannel;

// One block of the channel into its half of selector (primedBlocks & 1), as a mix cycle would
// render it (its stream block, or its pair sums and chain for an instrument or bus channel);
// counts the block and its frames.
void PrimeChannelHalf(EngineChannel* channel);

// PrimeChannelHalf for every channel of the list that has a song and is not stopped, leaving
// out channels that their owner feeds (further channels of a stream, linked channels); then
// the follow list learns the transport's position.
void PrimeAllChannels(EngineChannel* list);

// While the channel's primed frames are below its pre-roll (primeDelay) and fewer than
// `blocks` blocks ran, one mix cycle of the channel alone (its next link and the engine's
// current list cleared for the call, the device's selectors kept), counting `frames` each.
// Answers `result` once the pre-roll is primed, 0 while it is not.
int32_t PrimeChannelByCycles(int32_t result, EngineChannel* channel, int32_t blocks, int32_t frames);

// For each of `cycles` cycles: the largest latency difference of the instrument and aux
// channels in whole blocks (|chain latency - latencyCompensation| rounded up); each of them
// that renders its own chain takes its difference as pre-roll on its start delay (once) and
// is primed by PrimeChannelByCycles up to that many blocks, then summed
// (SumPairChannelsFloat). The transport's sample position moves back by the cycles' length
// first and on by one block per cycle. Answers `firstCycle` when every pre-roll is primed,
// else 0.
int32_t PrimeLatencyCompensation(int32_t firstCycle, int32_t cycles);

// Catching up after the warm-up: the largest |writeCount - readCount| of the list's channels,
// in whole blocks of `frames` (rounded up).
int32_t CatchUpBlocks(const EngineChannel* list, int32_t frames);
