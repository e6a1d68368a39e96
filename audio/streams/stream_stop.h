// Stopping streams: resetting a channel, fading every channel out, and waiting (bounded) until
// the streams and the disk worker have come to rest. Main thread, while the engine runs or is
// held; every wait here has a bound.
#pragma once

#include <cstdint>

#include "audio/engine/engine_channels.h"

struct InsertChain;

// Bounds of the waits, in ticks (60 a second).
constexpr uint32_t kStopRestTicks = 5400;   // 90 seconds
constexpr uint32_t kFadeOutTicks = 30;      // half a second per channel
constexpr uint32_t kDeviceIdleTicks = 40;

// A channel whose render state renders an instrument.
bool IsInstrumentChannel(const EngineChannel* channel);
// Not an instrument channel: mode 0 stops it; other modes only when it is neither suspended
// nor flagged to stay. An instrument channel rewinds its automation under the channel's
// automation lock (a bounded wait), stops decoding (NullDecode), clears its halves and, when
// mode is not 0, sends sustain off on the 16 MIDI channels through its send procedure.
void ResetEngineChannel(EngineChannel* channel, int32_t mode);
// Fades the playing channels out over the next block and waits (bounded) for each to finish.
void FadeOutAllChannels();
// Fades (when asked and the device runs), holds the workers (unless mode is 1), resets the
// channels on the first pass and waits until the disk worker is empty and no IO procedure is
// inside its body, or 90 seconds passed.
void StopStreamsAndWait(int32_t mode, int32_t fade);
// Waits until an audible instrument channel's render state is no longer busy, the channel
// stops, or 40 ticks passed since startTick; returns 0.
int32_t WaitForDeviceIdle(EngineChannel* channel, uint32_t startTick);
// The decode procedure of a reset channel: decodes nothing, returns 0 (late requests leave the
// silenced halves as they are). NullStreamRead is the same for a channel fed by a reader.
int16_t NullDecode(EngineChannel* channel, int32_t half, void* block, uint8_t* atEnd);
int32_t NullStreamRead(EngineChannel* channel, int32_t half, void* block, uint8_t* ready);
// The instrument channels (of the 24 lists) whose track's insert rack heads the given chain.
int32_t CountChannelsOnChain(uint32_t chain);
