// The host's musical time as an LV2 plug-in takes it: the answers of the host callbacks a unit
// was given (kAudioUnitProperty_HostCallbacks) forged into a time:Position object. Engine
// thread at render: the callbacks are the host's own and neither block nor allocate.
#include <lv2/atom/forge.h>
#include <lv2/time/time.h>

#include <cmath>

#include "platform/audiounit/audio_unit_midi.h"
#include "platform/audiounit/lv2_world.h"

namespace {

// What the host answered; the defaults stand for a callback the host did not give.
struct HostTime {
  Float64 beat = 0.0, tempo = 120.0, downbeat = 0.0, sample = 0.0;
  Float64 cycleStart = 0.0, cycleEnd = 0.0;
  Float32 numerator = 4.0f;
  uint32_t denominator = 4, toNextBeat = 0;
  Boolean playing = 0, changed = 0, cycling = 0;
};

HostTime AskHost(const HostCallbackInfo& host) {
  HostTime t;
  if (host.beatAndTempoProc) host.beatAndTempoProc(host.hostUserData, &t.beat, &t.tempo);
  if (host.musicalTimeLocationProc)
    host.musicalTimeLocationProc(host.hostUserData, &t.toNextBeat, &t.numerator, &t.denominator, &t.downbeat);
  if (host.transportStateProc)
    host.transportStateProc(host.hostUserData, &t.playing, &t.changed, &t.sample, &t.cycling, &t.cycleStart,
                            &t.cycleEnd);
  if (!(t.numerator > 0.0f)) t.numerator = 4.0f;
  if (t.denominator == 0) t.denominator = 4;
  return t;
}

void ForgeFloat(LV2_Atom_Forge* forge, LV2_URID key, double value) {
  lv2_atom_forge_key(forge, key);
  lv2_atom_forge_float(forge, float(value));
}

void ForgeLong(LV2_Atom_Forge* forge, LV2_URID key, int64_t value) {
  lv2_atom_forge_key(forge, key);
  lv2_atom_forge_long(forge, value);
}

}  // namespace

void MapTimeUrids(AudioUnitInstance* u) {
  u->timePositionUrid = Lv2Map(LV2_TIME__Position);
  u->timeBpmUrid = Lv2Map(LV2_TIME__beatsPerMinute);
  u->timeBarUrid = Lv2Map(LV2_TIME__bar);
  u->timeBarBeatUrid = Lv2Map(LV2_TIME__barBeat);
  u->timeBeatsPerBarUrid = Lv2Map(LV2_TIME__beatsPerBar);
  u->timeBeatUnitUrid = Lv2Map(LV2_TIME__beatUnit);
  u->timeSpeedUrid = Lv2Map(LV2_TIME__speed);
  u->timeFrameUrid = Lv2Map(LV2_TIME__frame);
}

void ForgeTimePosition(AudioUnitInstance* u, LV2_Atom_Forge* forge) {
  const HostCallbackInfo& host = u->hostCallbacks;
  if (u->timePort < 0 || (!host.beatAndTempoProc && !host.musicalTimeLocationProc && !host.transportStateProc))
    return;
  HostTime t = AskHost(host);
  // The host counts in quarter notes; a bar holds numerator beats of 1/denominator.
  double quartersPerBeat = 4.0 / double(t.denominator);
  double quartersPerBar = double(t.numerator) * quartersPerBeat;
  int64_t bar = quartersPerBar > 0.0 ? int64_t(std::floor(t.downbeat / quartersPerBar + 1e-9)) : 0;
  double barBeat = (t.beat - t.downbeat) / quartersPerBeat;
  if (!lv2_atom_forge_frame_time(forge, 0)) return;
  LV2_Atom_Forge_Frame object;
  if (!lv2_atom_forge_object(forge, &object, 0, u->timePositionUrid)) return;
  ForgeFloat(forge, u->timeBpmUrid, t.tempo);
  ForgeLong(forge, u->timeBarUrid, bar);
  ForgeFloat(forge, u->timeBarBeatUrid, barBeat < 0.0 ? 0.0 : barBeat);
  ForgeFloat(forge, u->timeBeatsPerBarUrid, t.numerator);
  ForgeLong(forge, u->timeBeatUnitUrid, int64_t(t.denominator));
  ForgeFloat(forge, u->timeSpeedUrid, t.playing ? 1.0 : 0.0);
  ForgeLong(forge, u->timeFrameUrid, t.sample > 0.0 ? int64_t(t.sample) : 0);
  lv2_atom_forge_pop(forge, &object);
}
