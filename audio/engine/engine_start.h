// The start of the engine's output: the first device cycles after a start render nothing
// while the engine warms up, then the first block is primed; the start offset moves the
// engine sample clock by the output latency and lines the sequencer's ticks up with the
// first sample the device plays (a negative offset becomes a tick debt the clock waits out).
#pragma once

#include <atomic>
#include <cstdint>

struct EngineChannel;

// Output cycles that render nothing after a preparation (set to 2 by preparation, counted down
// by the prime state of the render path).
constexpr int32_t kEngineWarmUpCycles = 2;
extern std::atomic<int32_t> gEngineWarmUpCount;
// The audio set-up's latency frames added to the start offset (0 until the audio set-up record
// carries them).
extern int32_t gAudioSetupFrames;
// Frames of the start offset beside the set-up's frames.
constexpr int32_t kStartOffsetFrames = 188;

// The prime state of the output path. While the warm-up count runs it is counted down: the
// first call renders a block of every playing channel of the slots (their devices' selectors
// zeroed), the call that ends the count a block of every channel of `list`
// (PrimeAllChannels), each followed by the latency pre-roll of the chains; the latter answers
// 1 once the pre-roll is primed. Called after the warm-up, the channels of `list` (only the
// first when `one`) catch up with their live sources; 1 when all are primed.
int32_t PrimeEngineRender(EngineChannel* list, int32_t frames, bool one);

// The engine sample clock at a device start: set-up frames + 188 - buffer frames while a play
// rate is requested (non-zero), else 0.
int64_t EngineStartOffset(int32_t bufferFrames, int32_t requestedRate);
// The tick debt for a number of frames still to play before the song's first sample:
// -(frames in clock ticks), kept within 16 bits.
int16_t TickDebtForFrames(int64_t frames, float sampleRate);
// True while the clock waits for an external sync start (sync source 2 with the audio clock).
bool ClockWaitsForSyncStart();
// The device start: the sample clock becomes the offset; a negative offset, unless the clock
// waits for an external start, is owed by the sequencer as a tick debt.
void ApplyEngineStartOffset(int64_t offset, float sampleRate);

// The render path's prime state (2): after the warm-up, state 3; the first cycle whose block
// reaches the song's start sets the tick debt of the frames before it and marks the slaved
// clock running.
void RenderPrimeState(EngineChannel* list);
