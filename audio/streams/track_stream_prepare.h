// Preparing a channel to play from its start position: an audio track's channel gets its
// source format, its regions checked (small ones held in memory), its decoder, its decoded and
// output buffers and both stream halves filled before the engine starts; a channel with an
// insert chain (a plug-in instrument's channel) gets its render state (channel_render_state).
// Main thread, while the engine is held.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct AudioDriverOps;
struct EngineChannel;

// Preparation modes as the callers pass them (the engine's preparation kinds).
constexpr int32_t kPrepareExport = 4;
constexpr int32_t kPrepareFromStart = 5;
// The region check runs when this many ticks (10 minutes) have passed since the last stop.
constexpr uint32_t kRegionCheckTicks = 36000;
// How long the preparation waits for the disk worker to fill one half.
constexpr uint32_t kHalfFillWaitMillis = 2000;

// Errors.
constexpr int16_t kPrepareNoAudioRecord = -50;
constexpr int16_t kPrepareSlotFormatMismatch = 72;
constexpr int16_t kPrepareFillTimedOut = 47;

// Prepares the channel to play from `position` (samples at `rate`) in the given mode: 0, -50
// (no audio record), 72 (a slot channel's format differs from its record), -108 (no memory:
// what was allocated stays with the channel for DisposeEngineChannel), 47 (the disk worker
// did not fill a half in time), or the decoder's set-up error (the channel stays silent).
int16_t PrepareAudioTrackStream(EngineChannel* channel, int64_t position, float rate, int32_t mode = 0);
// A channel fed live from an external source plays at its device's rate and sample width, with
// at least one channel and no source format.
void MatchChannelToDevice(EngineChannel* channel, const AudioDriverOps* device);
// The float gain of a source of that width on a device wider than 16 bits: 1 / 2^(width - 1);
// a float source (width 1) plays at 1.0.
float SourceFloatGain(int32_t sourceWidth);
