// The click of the metronome as MIDI for its plug-in: one note a beat of the bar's meter,
// placed at the beat's sample.
#include <cmath>

#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_midi_lists.h"
#include "sequencer/clock/click_settings.h"
#include "song/conductor/conductor_map.h"
#include "song/model/song_layout.h"

namespace {

struct MeterSpan {
  double start = 1.0;         // tick of the span's first bar
  double end = 1e300;         // tick of the next meter
  int32_t beatsPerBar = 4;
  int32_t ticksPerBeat = 480;
};

// The meter in force at tick: the song's own from tick 1, then each meter record's from its tick.
MeterSpan MeterAt(uint8_t* song, double tick) {
  MeterSpan m;
  if (song) {
    m.beatsPerBar = song[kSongBeatsPerBar];
    m.ticksPerBeat = ReadU16BE(song + kSongTicksPerBeat);
  }
  const uint8_t* map = GetSongConductorMap(song);
  for (const uint8_t* r = map; ConductorKind(r) != kConductorEnd; r += kConductorRecordSize) {
    if (ConductorKind(r) != kConductorMeter) continue;
    if (double(ConductorTick(r)) > tick) {
      m.end = ConductorTick(r);
      break;
    }
    m.start = ConductorTick(r);
    m.beatsPerBar = r[kConductorFlagsOffset] & kConductorBeatsMask;
    m.ticksPerBeat = ConductorValue(r);
  }
  if (m.beatsPerBar < 1) m.beatsPerBar = 1;
  if (m.ticksPerBeat < 1) m.ticksPerBeat = SongResolution(song);
  return m;
}

uint8_t ClickVelocity(const ClickNote& click, int32_t beatOfBar) {
  for (const ClickAccent& a : gClickSettings.accents)
    if (a.beat != 0 && a.beat == beatOfBar) return a.velocity;
  return click.velocity;
}

void QueueClick(PluginMidiState* state, uint8_t* song, double beatTick, int32_t beatInBar, int32_t ticksPerBeat,
                double exact, float rate) {
  const ClickNote& click = beatInBar == 0 ? gClickSettings.bar : gClickSettings.beat;
  int32_t length = click.length;
  if (length >= ticksPerBeat) length = ticksPerBeat - 1;  // ends a tick before the next click
  PluginMidiEvent* on =
      QueueBlockEvent(state, BlockOffset(state, exact), click.status, click.note, ClickVelocity(click, beatInBar + 1));
  if (!on) return;
  on->noteOffVelocity = 0;
  double samples = length > 0 ? TicksAsSamples(song, beatTick, length, rate) : 0.0;
  QueueNoteOffAfter(state, on, exact, samples);
}

}  // namespace

void QueueClickEvents(PluginMidiState* state, double startTick, double endTick, float rate, double pieceStart) {
  if (!(gClickSettings.flags & kClickActive) && state->latencyOffset == 0) return;
  uint8_t* song = SongBytes(state->song);
  double tick = startTick;
  while (tick < endTick && state->freeList.numEvents > 0) {
    MeterSpan m = MeterAt(song, tick);
    double beats = std::ceil((tick - m.start) / m.ticksPerBeat - 1e-9);
    double beatTick = m.start + beats * m.ticksPerBeat;
    if (beatTick >= m.end) {
      tick = m.end;
      continue;
    }
    if (beatTick >= endTick) break;
    int32_t beatInBar = int32_t(std::fmod(beats, double(m.beatsPerBar)));
    double exact = pieceStart + (beatTick - startTick) * state->secondsPerTick * rate;
    QueueClick(state, song, beatTick, beatInBar, m.ticksPerBeat, exact, rate);
    tick = beatTick + 1.0;
  }
}
