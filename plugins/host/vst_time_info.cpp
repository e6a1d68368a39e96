#include "plugins/host/vst_time_info.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/callback_beat_position.h"
#include "plugins/host/channel_song_time.h"
#include "plugins/host/plugin_host_hooks.h"
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
#include "song/model/song_layout.h"

namespace {

constexpr VstInt32 kRecomputedFlags =
    kVstTransportPlaying | kVstTransportCycleActive | kVstAutomationWriting | kVstAutomationReading;
constexpr int32_t kNoSongTempo = 1000;

thread_local VstTimeInfo tTimeInfo{};

// Where the plug-in stands: sample position and rate, tick, and the tempo word.
struct TimePosition {
  double samplePos = 0.0;
  double sampleRate = 0.0;
  double tick = 1.0;
  int32_t tempo = 0;
};

uint8_t* ClockSong() {
  Handle song = gTransportClock.playingSong ? gTransportClock.playingSong : gCurrentSongHandle;
  return song ? reinterpret_cast<uint8_t*>(*song) : nullptr;
}

bool TransportPlaying() { return IsClockTaskPlaying(); }
bool ClockRunning() { return (gTransportClock.runBits & 1) != 0; }

double TicksPerQuarter() { return gTicksPerQuarter > 0 ? double(gTicksPerQuarter) : 1.0; }

// The tempo word of the conductor map at a tick (tenths of a beat per minute).
int32_t TempoAtTick(uint8_t* song, int32_t tick) {
  ConductorState state;
  GetConductorStateAtInSong(tick, song, &state);
  return int32_t(state.tempo & 0xFFFF);
}

TimePosition CurrentPosition(PluginInstance* instance) {
  TimePosition at;
  EngineChannel* channel = GetPluginRenderChannel();
  if (channel != nullptr) {
    at.samplePos = double(channel->position - channel->latencyOffset);
    at.sampleRate = channel->sampleRate;
    at.tick = GetCallbackBeatPosition(instance, channel, channel->position);
    at.tempo = GetChannelTempoWord(channel, instance != nullptr ? instance->stateFlags : 0);
    if (at.tempo <= 0) {
      // A channel the engine gave no tempo word yet plays the song's map at its tick.
      uint8_t* song = ClockSong();
      at.tempo = song ? ScaleTempoValue(TempoAtTick(song, int32_t(at.tick)), 0) : GetScaledTempo();
    }
    return at;
  }
  at.sampleRate = gEngineSampleRate;
  at.samplePos = double(gEngineSampleClock.load(std::memory_order_relaxed)) +
                 gTransportClock.samplePosition;
  at.tick = SamplePositionToCallbackTick(int64_t(at.samplePos), float(at.sampleRate));
  at.tempo = GetScaledTempo();
  return at;
}

// The meter and bar start: from the playing song's map while the transport plays, else the
// clock's or the conductor's current meter without a bar position.
void FillMeter(VstTimeInfo* info, double tick, VstInt32* flags) {
  int32_t numerator = 0, ticksPerBeat = 0;
  uint8_t* song = gTransportClock.playingSong ? ClockSong() : nullptr;
  if (TransportPlaying() && song != nullptr && ClockRunning()) {
    ConductorState state;
    int32_t at = tick < 1.0 ? 1 : int32_t(tick);
    GetConductorStateAtInSong(at, song, &state);
    int32_t bar = 0, offset = 0;
    TickToBarAndOffsetInSong(song, &state, at, &bar, &offset);
    numerator = state.beatsPerBar;
    ticksPerBeat = state.ticksPerBeat;
    info->barStartPos = double(at - offset - 1) / TicksPerQuarter();
  } else {
    *flags &= ~kVstBarsValid;
    info->barStartPos = 0.0;
    bool running = ClockRunning();
    numerator = running ? gTransportClock.beatsPerBar : gConductorState.beatsPerBar;
    ticksPerBeat = running ? gTransportClock.ticksPerBeat : gConductorState.ticksPerBeat;
  }
  info->timeSigNumerator = numerator;
  info->timeSigDenominator = ticksPerBeat ? int32_t(4 * TicksPerQuarter()) / ticksPerBeat : 4;
}

// Sets the transport-changed bit when the clock's play state moved since the instance's
// last question.
void TrackTransport(PluginInstance* instance, VstInt32* flags) {
  uint16_t state = uint16_t((gTransportClock.playBits << 8) | gTransportClock.runBits);
  if (TransportPlaying()) state |= 0x8000;
  if (state != instance->transportCopy) {
    instance->transportCopy = state;
    *flags |= kVstTransportChanged;
  } else {
    *flags &= ~kVstTransportChanged;
  }
}

VstInt32 TransportFlags() {
  VstInt32 flags = 0;
  if (TransportPlaying()) flags |= kVstTransportPlaying;
  if (gCycleMode && gTransportClock.cycleStopTick > gTransportClock.cycleStartTick)
    flags |= kVstTransportCycleActive;
  if (IsAutomationReading()) flags |= kVstAutomationReading;
  return flags;
}

void FillCycle(VstTimeInfo* info) {
  info->cycleStartPos = (double(gTransportClock.cycleStartTick) - 1.0) / TicksPerQuarter();
  info->cycleEndPos = (double(gTransportClock.cycleStopTick) - 1.0) / TicksPerQuarter();
}

}  // namespace

VstTimeInfo* FillVstTimeInfo(VstInt32 requested, AEffect* effect) {
  return FillInstanceTimeInfo(requested, FindInstanceForEffect(effect));
}

VstTimeInfo* FillInstanceTimeInfo(VstInt32 requested, PluginInstance* instance) {
  VstTimeInfo* info = instance ? &instance->timeInfo : &tTimeInfo;
  TimePosition at = CurrentPosition(instance);
  VstInt32 flags = requested & ~(kVstNanosValid | kVstSmpteValid | kVstClockValid);
  if (flags & kVstTempoValid) info->tempo = at.tempo / 10.0;
  info->ppqPos = (at.tick - 1.0) / TicksPerQuarter();
  FillMeter(info, at.tick, &flags);
  if ((flags & kVstTransportChanged) && instance != nullptr) TrackTransport(instance, &flags);
  else flags &= ~kVstTransportChanged;
  flags = (flags & ~kRecomputedFlags) | TransportFlags();
  if (instance != nullptr) FillCycle(info);
  info->samplePos = at.samplePos;
  info->sampleRate = at.sampleRate;
  info->flags = flags;
  return info;
}

double SamplePositionToCallbackTick(int64_t position, float rate) {
  if (gCurrentSong == nullptr || rate <= 0.0f) return 1.0;
  if (position <= 0) return 1.0;
  uint32_t tick = SamplePositionToTick(position, rate);
  int64_t start = TickToSamplePosition(int32_t(tick), rate);
  int64_t next = TickToSamplePosition(int32_t(tick) + 1, rate);
  double fraction = next > start ? double(position - start) / double(next - start) : 0.0;
  if (fraction < 0.0) fraction = 0.0;
  if (fraction >= 1.0) fraction = 0.0;
  return double(tick) + fraction;
}

int32_t GetVstTempoAt(int32_t samplePosition) {
  uint8_t* song = ClockSong();
  int32_t tempo = kNoSongTempo;
  if (song != nullptr && gClockConductorFollow && samplePosition != 0) {
    uint32_t tick = SamplePositionToTick(samplePosition, gEngineSampleRate);
    tempo = TempoAtTick(song, int32_t(tick));
  } else if (song != nullptr) {
    tempo = ReadU16BE(song + kSongTempo);
  }
  return int32_t(ScaleTempoValue(tempo, 0)) * 1000;
}
