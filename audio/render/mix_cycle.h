// The mix cycle: one engine block for every channel of a device's channel list. Streaming
// channels advance through their two stream halves and ask the disk thread to refill the
// half just used up; a half that has not arrived when it is needed is an underrun.
#pragma once

#include <atomic>
#include <cstdint>

struct EngineChannel;
struct EngineWorker;

using ChannelCycleRoutine = void (*)(EngineChannel* channel, uint32_t selector, void* argument);

// 0 none; non-zero when a disk wait is due at the next exhausted half.
extern std::atomic<int32_t> gRefillPending;
// Set while the jukebox plays: an underrun prints a note instead of latching an error.
extern std::atomic<uint8_t> gJukeboxPlaying;

// filter < 0 all channels; >= 0 only the channels numbered so; > 0 is a partial cycle (the
// selectors do not flip).
int32_t MixEngineCycle(EngineChannel* list, ChannelCycleRoutine routine, void* routineArgument,
                       EngineWorker* worker, int32_t filter);

// One channel's part of a cycle's stream pass into output selector `selector`: the punch
// handling, a linked channel's spread block, an instrument or bus channel's pair sums
// (SumPairChannels when it sums in 16-bit integers, else SumPairChannelsFloat), or a stream
// channel's next block. `routine` tells whether the cycle ran a routine pass. The caller skips
// stopped channels and those the filter leaves out.
void MixChannelInCycle(EngineChannel* channel, uint32_t selector, EngineWorker* worker,
                       int32_t filter, bool routine);

// Renders one block of the channel (its stream block, or none for an instrument or bus
// channel, which then renders from `source`) at unity and mixes the result into its output
// half of `selector` (MixStreamBlock); `half` names the stream half the block comes from.
void RenderAndMixChannel(EngineChannel* channel, void* block, uint32_t selector, uint32_t half);

// After a locate: asks at once for the refill of each located channel's pending half (the
// half it plays next; its reader starts from the new position), then waits, in 10-microsecond
// sleeps and never longer than one device buffer, until the disk thread has served the
// outstanding refills of the streaming channels of the engine's slots (only the one numbered
// `filter` when it is 0 or more). A refill still missing after that is an underrun of the
// cycle that needs it. Engine thread; no lock is held.
void WaitForDiskRefill(int32_t filter);

// Asks the worker (the disk worker when null; the mix cycle always uses it, so that no file is
// read on the engine thread) to refill a half of a channel's stream (its reader runs there; an
// audio track's is the region walk, FillStreamHalf) and notes it as the pending half; 0 or
// the post's error. A refill that cannot be posted latches the error and stops the channel
// for the rest of the run (its selector bytes cleared): it never plays the used half again.
int32_t RequestHalfRefill(EngineChannel* channel, int32_t half, EngineWorker* worker);
