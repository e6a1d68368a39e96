// Bars, beats and ticks: walks through the meter changes of a conductor map.
#include <cstdint>

#include "song/conductor/conductor_map.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr int64_t kInt32Max = 0x7fffffff;

int32_t WrapToInt32(int64_t v) { return int32_t(uint32_t(uint64_t(v))); }

int32_t ClampTick(int64_t t) { return t > kInt32Max ? int32_t(kInt32Max) : int32_t(t); }

struct CurrentSongSwap {
  uint8_t* saved;
  explicit CurrentSongSwap(uint8_t* song) : saved(gCurrentSong) { gCurrentSong = song; }
  ~CurrentSongSwap() { gCurrentSong = saved; }
};

// Counts steps of a bar (or of a beat) from tick 1, taking at most one meter change per
// step at the first step line at or after its tick. Steps that cannot reach the pending
// change are taken together, so the walk costs one pass per meter change, not per bar.
int32_t StepsToTick(uint8_t* song, ConductorState* state, int32_t steps, bool beats) {
  uint8_t* r = BeginMeterWalk(song, state);
  int64_t t = 1;
  int64_t i = 0;
  while (i < steps && ConductorKind(r) != kConductorEnd) {
    int64_t step = beats ? state->ticksPerBeat : state->ticksPerBar;
    if (step <= 0) break;
    int64_t need = int64_t(ConductorTick(r)) - t;
    int64_t reach = need > 0 ? (need + step - 1) / step : 1;
    int64_t quiet = reach - 1;
    if (quiet > steps - i - 1) quiet = steps - i - 1;
    if (quiet > 0) {
      i += quiet;
      t += quiet * step;
    }
    i += 1;
    t += step;
    r = AdvanceMeterChange(r, state, ClampTick(t));
  }
  int64_t step = beats ? state->ticksPerBeat : state->ticksPerBar;
  return WrapToInt32(t + (int64_t(steps) - i) * step);
}

}  // namespace

uint8_t* BeginMeterWalk(uint8_t* song, ConductorState* state) {
  InitMeterFromSong(song, state);
  uint8_t* r = GetSongConductorMap(song);
  if (ConductorKind(r) >= kConductorFirstInvalidKind) {
    CurrentSongSwap swap(song);
    ResetConductorMap();
    r = GetSongConductorMap(song);
  }
  uint8_t kind = ConductorKind(r);
  if (kind == kConductorEnd || kind == kConductorMeter) return r;
  return NextMeterChange(r);
}

uint8_t* NextMeterChange(uint8_t* record) {
  if (ConductorKind(record) == kConductorEnd) return record;
  uint8_t* r = record + kConductorRecordSize;
  while (ConductorKind(r) != kConductorEnd && ConductorKind(r) != kConductorMeter)
    r += kConductorRecordSize;
  return r;
}

uint8_t* AdvanceMeterChange(uint8_t* record, ConductorState* state, int32_t tick) {
  if (ConductorKind(record) == kConductorEnd || tick < ConductorTick(record)) return record;
  if (ConductorKind(record) == kConductorMeter) ApplyConductorRecord(record, state);
  return NextMeterChange(record);
}

uint8_t* SeekMeterChangeAt(int32_t tick, ConductorState* state) {
  uint8_t* r = BeginMeterWalk(gCurrentSong, state);
  while (ConductorKind(r) != kConductorEnd && tick >= ConductorTick(r)) {
    ApplyConductorRecord(r, state);
    r = NextMeterChange(r);
  }
  return r;
}

int32_t BarToTick(int32_t bar) { return BarToTickInSong(gCurrentSong, &gConductorState, bar); }

int32_t BarToTickInSong(uint8_t* song, ConductorState* state, int32_t bar) {
  return StepsToTick(song, state, bar, false);
}

int32_t BeatToTick(int32_t beat) { return StepsToTick(gCurrentSong, &gConductorState, beat, true); }

void TickToBarAndOffset(int32_t tick, int32_t* bar, int32_t* offset) {
  TickToBarAndOffsetInSong(gCurrentSong, &gConductorState, tick, bar, offset);
}

void TickToBarAndOffsetInSong(uint8_t* song, ConductorState* state, int32_t tick, int32_t* bar,
                              int32_t* offset) {
  uint8_t* r = BeginMeterWalk(song, state);
  int64_t bars = 0;
  int64_t s = 1;
  while (ConductorKind(r) != kConductorEnd && tick >= ConductorTick(r)) {
    if (state->ticksPerBar == 0) return;
    bars += (int64_t(ConductorTick(r)) - s) / state->ticksPerBar;
    s = ConductorTick(r);
    ApplyConductorRecord(r, state);
    r = NextMeterChange(r);
  }
  if (state->ticksPerBar == 0) return;
  int64_t rest = int64_t(tick) - s;
  bars += rest / state->ticksPerBar;
  *bar = int32_t(bars);
  *offset = int32_t(rest % state->ticksPerBar);
}

int32_t TickToBar(int32_t tick) {
  int32_t bar = 0;
  int32_t offset = 0;
  TickToBarAndOffset(tick, &bar, &offset);
  return bar;
}

int32_t TickToBarRoundedUp(int32_t tick) {
  int32_t bar = 0;
  int32_t offset = 0;
  TickToBarAndOffset(tick, &bar, &offset);
  return offset != 0 ? bar + 1 : bar;
}

void TickToBarBeatTick(int32_t tick, int32_t* bar, int32_t* beat, int32_t* tickInBeat) {
  TickToBarBeatTickInSong(gCurrentSong, &gConductorState, tick, bar, beat, tickInBeat);
}

void TickToBarBeatTickInSong(uint8_t* song, ConductorState* state, int32_t tick, int32_t* bar,
                             int32_t* beat, int32_t* tickInBeat) {
  int32_t b = 0;
  int32_t offset = 0;
  TickToBarAndOffsetInSong(song, state, tick, &b, &offset);
  if (state->ticksPerBeat == 0) {
    *bar = 0;
    *beat = 0;
    *tickInBeat = 0;
    return;
  }
  *bar = b;
  *beat = offset / state->ticksPerBeat;
  *tickInBeat = offset - *beat * state->ticksPerBeat;
}

int32_t BarBeatTickToTick(int32_t bar, int32_t beat, int32_t tick) {
  return BarBeatTickToTickInSong(gCurrentSong, &gConductorState, bar, beat, tick);
}

int32_t BarBeatTickToTickInSong(uint8_t* song, ConductorState* state, int32_t bar, int32_t beat,
                                int32_t tick) {
  int64_t t = BarToTickInSong(song, state, bar);
  return WrapToInt32(t + int64_t(beat) * state->ticksPerBeat + tick);
}

float TickToBeats(int32_t tick) {
  ConductorState* state = &gConductorState;
  uint8_t* r = BeginMeterWalk(gCurrentSong, state);
  int64_t beats = 0;
  int64_t s = 1;
  while (ConductorKind(r) != kConductorEnd && tick >= ConductorTick(r)) {
    if (state->ticksPerBeat == 0) return float(beats);
    beats += (int64_t(ConductorTick(r)) - s) / state->ticksPerBeat;
    s = ConductorTick(r);
    ApplyConductorRecord(r, state);
    r = NextMeterChange(r);
  }
  if (state->ticksPerBeat == 0) return float(beats);
  return float(beats) + float(int64_t(tick) - s) / float(state->ticksPerBeat);
}

double SongTickToBeats(uint8_t* song, int32_t tick) {
  int64_t ticksPerBeat = 1;
  if (song) {
    int64_t header = ReadU16BE(song + kSongTicksPerBeat);
    if (header > 1) ticksPerBeat = header;
  }
  int64_t beats = 0;
  int64_t s = 1;
  for (uint8_t* r = GetSongConductorMap(song);
       ConductorKind(r) != kConductorEnd && ConductorTick(r) < tick; r += kConductorRecordSize) {
    if (ConductorKind(r) != kConductorMeter) continue;
    beats += (int64_t(ConductorTick(r)) - s) / ticksPerBeat;
    s = ConductorTick(r);
    int64_t next = ReadU16BE(r + kConductorValueOffset);
    ticksPerBeat = next > 0 ? next : 1;
  }
  return double(beats) + double(int64_t(tick) - s) / double(ticksPerBeat);
}
