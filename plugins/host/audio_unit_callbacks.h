// The host's musical-time callbacks for Audio Units (HostCallbackInfo, installed by
// OpenAudioUnitInstance with the instance record as host user data): beat and tempo, the
// musical time location and the transport state.
//
// Position source: outside rendering, the clock's sample offset plus, while playback follows
// the conductor map, the engine's sample clock, at the engine's rate; while a chain renders,
// the render channel's position less its latency offset, at the channel's rate.
//
// Threads: the engine thread while a unit renders, the main thread when a unit asks outside
// rendering. They read shared state without locks, never allocate or block, and write only the
// calling thread's next-beat cache and the instance's transport bit.
#pragma once

#include <cstdint>

#include "platform/audiounit/audio_unit.h"
#include "platform/memory/mac_types.h"

struct PluginInstance;

// The tick of the last computed next beat and its sample position (at rate). Each thread keeps its own
// (the engine thread and the main thread both ask); a cache computed before the last
// ResetNextBeatCache is stale.
struct NextBeatCache {
  int32_t beatTick = -1;
  int64_t samplePosition = 0;
  uint32_t generation = 0;
  float rate = 0.0f;
};
// The calling thread's cache.
NextBeatCache* CurrentNextBeatCache();
// Forces every thread's next computation (PrepareChainPlugins).
void ResetNextBeatCache();

// The procedures of HostCallbackInfo; hostUserData is the PluginInstance. Null outs are
// skipped.
OSStatus GetBeatAndTempo(void* hostUserData, Float64* currentBeat, Float64* currentTempo);
// -10863 (nothing written) without a current song; with one, the values are written and the
// answer is 0 while playback follows the conductor map, else -10863.
OSStatus GetMusicalTimeLocation(void* hostUserData, UInt32* samplesToNextBeat,
                                Float32* timeSigNumerator, UInt32* timeSigDenominator,
                                Float64* currentMeasureDownBeat);
OSStatus GetTransportState(void* hostUserData, Boolean* isPlaying, Boolean* transportStateChanged,
                           Float64* currentSampleInTimeLine, Boolean* isCycling,
                           Float64* cycleStartBeat, Float64* cycleEndBeat);

// Samples from position to the next quarter-note beat after tick (the tick position of
// position) in song's tempo map at rate; a negative position answers its negation. The next
// beat's sample position is kept in cache and computed again only for another beat.
uint32_t GetSamplesToNextBeat(int64_t position, double tick, float rate, NextBeatCache* cache,
                              uint8_t* song, int32_t ticksPerQuarter);

// Fills info for instance with the three procedures.
void FillHostCallbackInfo(PluginInstance* instance, HostCallbackInfo* info);
