// Refilling an audio track's stream: the region walk that fills a stream half from the track's
// regions (the file, a block in memory or silence), its decode into the engine's format, and
// the locate that moves the walk to a new song position.
//
// Threads: FillStreamHalf is the channel's stream reader and runs where the refills of the mix
// cycle are served (the disk worker, codes 4 and 5); it reads synchronously there, never
// allocates and takes no lock. The locate calls run on the main thread: the next refill takes
// the locate over (locatePending), so the engine thread never waits for them.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;

// The stream reader of a track channel that streams from its file: reads the half's input from
// the regions at the walk's position (`inputBytesPerCall` for a decoder, else the half's own
// size), decodes it into `buffer` and sets *ready when any region delivered data. A locate
// pending on the channel is taken first; a channel whose regions were edited (editState set)
// finds its region again and moves editState on (11 returns to 0). After the last region the
// half is silence (a looping channel starts again at the first region). A reverse channel's
// half holds, forwards, the frames before the walk's position, which moves back by them
// (silence before the track's start); the mix cycle plays it from its end. A short read, a failed
// read or a decoder error leaves silence where the data is missing and latches the error:
// never stale or foreign bytes. Answers 0: an error is latched, never passed to the worker.
int32_t FillStreamHalf(EngineChannel* channel, int32_t half, void* buffer, uint8_t* ready);

// Points the walk at `position` (samples at the channel's rate, rescaled to the file's rate
// when the two differ) and answers the index of the region there, -1 beyond the last region
// or without regions. Sets `streaming` when the channel points at a region and its render
// state, if any, takes audio input; clears the late counters. The walk's owner only (the disk
// worker, or the main thread while the engine is held).
int32_t LocateStreamInRegions(EngineChannel* channel, int64_t position, Handle regionList);

// Moves a playing channel's stream to `position` (samples at the channel's rate; the walk
// reads its file at the rescaled position): stores it as the channel's position, folded into
// the cycle's loop when the channel loops and the loop is shorter (a loop of no length does
// not fold), and leaves the locate for the next refill. Answers the position stored.
int64_t RelocateStream(EngineChannel* channel, int64_t position);

// After locates while playing: when a channel of the engine's slots has one pending, marks the
// refill pending (gRefillPending), so that the mix cycle refills the located channels before
// it plays on, and waits until that is done, the sequencer ticks are halted or `timeoutMillis`
// pass; true when it was done (or nothing was pending). Main thread.
bool WaitForStreamsAfterLocate(uint32_t timeoutMillis);
constexpr uint32_t kLocateWaitMillis = 2000;
