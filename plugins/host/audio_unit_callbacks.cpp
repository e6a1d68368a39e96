#include "plugins/host/audio_unit_callbacks.h"

#include <atomic>
#include <cmath>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "plugins/host/callback_beat_position.h"
#include "plugins/host/channel_song_time.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/vst_host_callback.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/conductor/tempo_scaling.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"

namespace {

std::atomic<uint32_t> gNextBeatGeneration{1};

// Where the asking unit stands: a sample position at a rate, and the channel being rendered
// on this thread (null outside rendering).
struct CallbackPosition {
  int64_t position = 0;
  float rate = 0.0f;
  EngineChannel* channel = nullptr;
};

int64_t ChannelLatencyOffset(const EngineChannel* channel) { return channel->latencyOffset; }
int64_t ChannelLatencyWord(const EngineChannel* channel) { return channel->latencyWord; }

// The bit of PluginInstance::transportCopy that holds the playing state last reported.
constexpr uint16_t kTransportCopyPlaying = 0x8000;

CallbackPosition CurrentCallbackPosition() {
  CallbackPosition at;
  at.channel = GetPluginRenderChannel();
  if (at.channel != nullptr) {
    at.position = at.channel->position - ChannelLatencyOffset(at.channel);
    at.rate = at.channel->sampleRate;
    return at;
  }
  at.position = int64_t(gTransportClock.samplePosition);
  if (gClockConductorFollow) at.position += gEngineSampleClock.load(std::memory_order_relaxed);
  at.rate = gEngineSampleRate;
  return at;
}

double TicksPerQuarter() { return gTicksPerQuarter > 0 ? double(gTicksPerQuarter) : 1.0; }

PluginInstance* InstanceOf(void* hostUserData) { return static_cast<PluginInstance*>(hostUserData); }

// The tempo a channel plays at (tenths of a beat per minute): the channel's tempo word, or its
// alternative word for an instance that follows it; a channel given none yet plays the song's
// tempo map at its tick, scaled by the tempo factor.
int32_t ChannelTempo(const EngineChannel* channel, const PluginInstance* instance, double tick) {
  int32_t word = GetChannelTempoWord(channel, instance != nullptr ? instance->stateFlags : 0);
  if (word > 0) return word;
  if (gCurrentSong == nullptr) return GetScaledTempo();
  ConductorState state;
  GetConductorStateAtInSong(tick < 1.0 ? 1 : int32_t(tick), gCurrentSong, &state);
  return ScaleTempoValue(int32_t(state.tempo & 0xFFFF), 0);
}

bool TransportPlaying() { return IsClockTaskPlaying(); }

}  // namespace

NextBeatCache* CurrentNextBeatCache() {
  thread_local NextBeatCache cache;
  return &cache;
}

void ResetNextBeatCache() { gNextBeatGeneration.fetch_add(1, std::memory_order_relaxed); }

OSStatus GetBeatAndTempo(void* hostUserData, Float64* currentBeat, Float64* currentTempo) {
  PluginInstance* instance = InstanceOf(hostUserData);
  CallbackPosition at = CurrentCallbackPosition();
  double tick = 1.0;
  if (gClockConductorFollow || at.channel != nullptr)
    tick = GetCallbackBeatPosition(instance, at.channel, at.position);
  if (currentBeat) {
    *currentBeat = 0.0;
    if (gClockConductorFollow && tick - 1.0 > 0.0) *currentBeat = (tick - 1.0) / TicksPerQuarter();
  }
  if (currentTempo) {
    int32_t tempo = at.channel != nullptr ? ChannelTempo(at.channel, instance, tick) : GetScaledTempo();
    *currentTempo = tempo / 10.0;
  }
  return noErr;
}

uint32_t GetSamplesToNextBeat(int64_t position, double tick, float rate, NextBeatCache* cache,
                              uint8_t* song, int32_t ticksPerQuarter) {
  if (position < 0) return uint32_t(-position);
  if (ticksPerQuarter <= 0 || cache == nullptr) return 0;
  int64_t up = int64_t(std::ceil(tick));
  int64_t beatTick = (up + ticksPerQuarter - 2) / ticksPerQuarter * ticksPerQuarter + 1;
  uint32_t generation = gNextBeatGeneration.load(std::memory_order_relaxed);
  if (beatTick != cache->beatTick || generation != cache->generation || rate != cache->rate) {
    cache->samplePosition = TickToSamplePositionInSong(int32_t(beatTick), rate, song);
    cache->beatTick = int32_t(beatTick);
    cache->generation = generation;
    cache->rate = rate;
  }
  // A position a rounding step past the beat is on it, not a whole wrap of samples before.
  int64_t distance = cache->samplePosition - position;
  return distance > 0 ? uint32_t(distance) : 0;
}

OSStatus GetMusicalTimeLocation(void* hostUserData, UInt32* samplesToNextBeat,
                                Float32* timeSigNumerator, UInt32* timeSigDenominator,
                                Float64* currentMeasureDownBeat) {
  uint8_t* song = gCurrentSong;
  if (song == nullptr) return kAudioUnitErr_CannotDoInCurrentContext;
  CallbackPosition at = CurrentCallbackPosition();
  double tick = GetCallbackBeatPosition(InstanceOf(hostUserData), at.channel, at.position);
  int32_t whole = tick < 1.0 ? 1 : int32_t(tick);
  ConductorState meter;
  int32_t bar = 0, offset = 0;
  TickToBarAndOffsetInSong(song, &meter, whole, &bar, &offset);
  if (timeSigNumerator) *timeSigNumerator = Float32(meter.beatsPerBar);
  if (timeSigDenominator) {
    int32_t whole4 = 4 * int32_t(TicksPerQuarter());
    *timeSigDenominator = meter.ticksPerBeat > 0 ? UInt32(whole4 / meter.ticksPerBeat) : 4;
  }
  if (samplesToNextBeat) {
    *samplesToNextBeat = GetSamplesToNextBeat(at.position, tick, at.rate, CurrentNextBeatCache(),
                                              song, int32_t(TicksPerQuarter()));
  }
  if (currentMeasureDownBeat) *currentMeasureDownBeat = double(whole - offset - 1) / TicksPerQuarter();
  return gClockConductorFollow ? noErr : kAudioUnitErr_CannotDoInCurrentContext;
}

OSStatus GetTransportState(void* hostUserData, Boolean* isPlaying, Boolean* transportStateChanged,
                           Float64* currentSampleInTimeLine, Boolean* isCycling,
                           Float64* cycleStartBeat, Float64* cycleEndBeat) {
  PluginInstance* instance = InstanceOf(hostUserData);
  EngineChannel* channel = GetPluginRenderChannel();
  bool playing = TransportPlaying();
  if (channel != nullptr && ChannelLatencyOffset(channel) > ChannelLatencyWord(channel)) playing = false;
  if (isPlaying) *isPlaying = playing;
  if (currentSampleInTimeLine) {
    *currentSampleInTimeLine =
        channel != nullptr ? double(channel->position - ChannelLatencyOffset(channel)) : 0.0;
  }
  bool cycling = gCycleMode && gTransportClock.cycleStopTick > gTransportClock.cycleStartTick;
  if (isCycling) *isCycling = cycling;
  if (cycleStartBeat) *cycleStartBeat = (double(gTransportClock.cycleStartTick) - 1.0) / TicksPerQuarter();
  if (cycleEndBeat) *cycleEndBeat = (double(gTransportClock.cycleStopTick) - 1.0) / TicksPerQuarter();
  if (transportStateChanged) {
    *transportStateChanged = false;
    uint16_t bit = playing ? kTransportCopyPlaying : 0;
    if (instance != nullptr && (instance->transportCopy & kTransportCopyPlaying) != bit) {
      instance->transportCopy = uint16_t((instance->transportCopy & ~kTransportCopyPlaying) | bit);
      *transportStateChanged = true;
    }
  }
  return noErr;
}

void FillHostCallbackInfo(PluginInstance* instance, HostCallbackInfo* info) {
  info->hostUserData = instance;
  info->beatAndTempoProc = GetBeatAndTempo;
  info->musicalTimeLocationProc = GetMusicalTimeLocation;
  info->transportStateProc = GetTransportState;
}
