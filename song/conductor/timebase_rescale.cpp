#include "song/conductor/timebase_rescale.h"

#include "shell/base/arithmetic.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/conductor/timebase.h"
#include "song/model/editor_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

namespace {

int32_t gOldResolution = kDefaultTicksPerQuarter;

int32_t Scale(int32_t v) { return MulDivRound(v, gTicksPerQuarter, gOldResolution); }

// Positions count from 1; one read from a file may be any 32-bit value, so the arithmetic
// around the scaling neither overflows nor leaves 1..0x7fffffff.
int32_t ScalePosition(int32_t tick) {
  int64_t t = int64_t(Scale(int32_t(uint32_t(tick) - 1u))) + 1;
  return t < 1 ? 1 : t > INT32_MAX ? INT32_MAX : int32_t(t);
}

uint16_t ScaleU16(uint16_t v, uint16_t least) {
  int32_t t = Scale(v);
  return uint16_t(t < least ? least : t > 0xFFFF ? 0xFFFF : t);
}

// A u32 position field: 0 (no position) stays 0.
void ScalePositionField(uint8_t* p) {
  uint32_t tick = ReadU32BE(p);
  if (tick != 0) WriteU32BE(p, uint32_t(ScalePosition(int32_t(tick))));
}

void RescaleConductor(uint8_t* song) {
  for (uint8_t* r = GetSongConductorMap(song); ConductorKind(r) != kConductorEnd;
       r += kConductorRecordSize) {
    ConductorRecordView record(r);
    if (record.Kind() == kConductorMeter) {
      record.SetValue(ScaleU16(record.TicksPerBeat(), 1));
      record.SetTicksPerBar(ScaleU16(record.TicksPerBar(), 1));
    }
    record.SetTick(ScalePosition(record.Tick()));
  }
  uint16_t ticksPerBeat = ReadU16BE(song + kSongTicksPerBeat);
  if (ticksPerBeat) WriteU16BE(song + kSongTicksPerBeat, ScaleU16(ticksPerBeat, 1));
  ScalePositionField(song + kSongConductorEnd);
  ScalePositionField(song + kSongEndTick);
  for (int32_t k = 0; k < kSongLocatorCount; ++k)
    ScalePositionField(song + kSongLocators + k * kSongLocatorSize);
  NoteConductorMapChanged();
}

void RescaleMarkers() {
  int32_t count = CountMarkers();
  if (count == 0) return;
  uint8_t* r = GetMarkerAt(0);
  for (int32_t i = 0; i < count; ++i, r = GetNextMarker(r)) {
    ScalePositionField(r + kMarkerTickOffset);
    if (MarkerKind(r) != kMarkerKindPlain)
      WriteU16BE(r + kMarkerLengthOffset, ScaleU16(MarkerLength(r), 0));
  }
}

int32_t RescaleTrackVisit(void*) {
  RescaleCurrentTrackEventTimes(gOldResolution, gTicksPerQuarter);
  return 0;
}

// The smallest shift n for which the new resolution >> n is at most the old one >> s.
void RescaleDisplayShift(uint8_t* song) {
  int32_t shift = int8_t(song[kSongDisplayShift]);
  if (shift < 0) shift = 0;
  if (shift > 31) shift = 31;
  int32_t limit = gOldResolution >> shift;
  int32_t n = 0;
  while (n < 31 && (gTicksPerQuarter >> n) > limit) ++n;
  song[kSongDisplayShift] = uint8_t(n);
}

}  // namespace

void RescaleSongFrom(uint8_t* song, int32_t oldResolution) {
  if (!song || oldResolution <= 0) return;
  gOldResolution = oldResolution;
  RescaleConductor(song);
  RescaleMarkers();
  uint8_t abort = gIterationAbort;
  ForEachTrack(RescaleTrackVisit, nullptr);
  gIterationAbort = abort;
  RescaleDisplayShift(gCurrentSong);
}
