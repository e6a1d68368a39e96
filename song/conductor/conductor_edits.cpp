#include "song/conductor/conductor_edits.h"

#include <cstring>

#include "shell/base/arithmetic.h"
#include "shell/base/busy_cursor.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/conductor/markers.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr int32_t kLastTick = kConductorEndTick - 1;

uint8_t* RecordAt(int32_t index) { return GetConductorMap() + index * kConductorRecordSize; }

int32_t ClampToTicks(int64_t t) {
  if (t < 1) return 1;
  if (t > kLastTick) return kLastTick;
  return int32_t(t);
}

int32_t ClampLevel(int64_t level) { return level < 0 ? 0 : level > 127 ? 127 : int32_t(level); }

// The meter, tempo and key remembered before time is removed.
struct RememberedState {
  bool meter = false;
  bool tempo = false;
  bool key = false;
  ConductorState state;
};

void DropRememberedKind(RememberedState* kept, uint8_t kind) {
  if (kind == kConductorMeter) kept->meter = false;
  if (kind == kConductorTempo) kept->tempo = false;
  if (kind == kConductorKey) kept->key = false;
}

// Writes at the selection start each remembered value that the removal took away there.
void RestoreRemembered(const RememberedState& kept, int32_t start) {
  GetConductorStateAt(start);
  const ConductorState now = gConductorState;
  const ConductorState& was = kept.state;
  if (kept.meter && (now.beatsPerBar != was.beatsPerBar || now.ticksPerBeat != was.ticksPerBeat ||
                     now.ticksPerBar != was.ticksPerBar)) {
    gConductorState.beatsPerBar = was.beatsPerBar;
    gConductorState.ticksPerBeat = was.ticksPerBeat;
    gConductorState.ticksPerBar = was.ticksPerBar;
    SetMeterAt(start);
  }
  if (kept.tempo && now.tempo != was.tempo) SetTempoAt(int32_t(was.tempo), start);
  if (kept.key && now.key != was.key) {
    gConductorState.key = was.key;
    SetKeySignatureAt(start);
  }
}

}  // namespace

void SnapMeterChangesToBars() {
  int32_t i = 0;
  while (i < CountConductorRecords(gCurrentSong)) {
    SpinBusyCursorIfDue();
    if (ConductorKind(RecordAt(i)) != kConductorMeter) {
      ++i;
      continue;
    }
    int32_t t = ConductorTick(RecordAt(i));
    int32_t snapped = BarToTick(TickToBarRoundedUp(t));
    if (snapped == t && t != 1) {
      ++i;
      continue;
    }
    uint8_t copy[kConductorRecordSize];
    std::memcpy(copy, RecordAt(i), sizeof copy);
    int32_t before = CountConductorRecords(gCurrentSong);
    DeleteConductorRecord(RecordAt(i));
    ApplyConductorRecord(copy, &gConductorState);
    SetMeterAt(snapped);
    // Continue behind the place where the record stood: one record further when it was
    // written again as a record in front of it, at the same place otherwise.
    i += 1 + (CountConductorRecords(gCurrentSong) - before);
  }
}

void ShiftConductorRecords(int32_t delta) {
  bool removing = delta <= 0;
  int32_t start = int32_t(gTimeSelection.start.tick);
  RememberedState kept;
  if (removing) {
    GetConductorStateAt(start + 1);
    kept.state = gConductorState;
    kept.meter = kept.tempo = kept.key = true;
  }
  int32_t i = 0;
  while (i < CountConductorRecords(gCurrentSong)) {
    uint8_t* r = RecordAt(i);
    int32_t tick = ConductorTick(r);
    if (removing && IsTimeInSelection(uint32_t(tick))) {
      DeleteConductorRecord(r);
      continue;
    }
    if (tick >= start) {
      int32_t moved = ClampToTicks(int64_t(tick) + delta);
      WriteI32BE(r + kConductorTickOffset, moved);
      if (moved == start) DropRememberedKind(&kept, ConductorKind(r));
    }
    ++i;
  }
  NoteConductorMapChanged();
  if (removing) RestoreRemembered(kept, start);
  SnapMeterChangesToBars();
}

int32_t DeleteSelectedConductorRecords() {
  bool meter = false;
  bool tempo = false;
  int32_t deleted = 0;
  BeginTempoMapChange();
  for (int32_t i = CountConductorRecords(gCurrentSong) - 1; i >= 0; --i) {
    uint8_t* r = RecordAt(i);
    if (!(r[kConductorFlagsOffset] & kConductorSelected)) continue;
    meter = meter || ConductorKind(r) == kConductorMeter;
    tempo = tempo || ConductorKind(r) == kConductorTempo;
    DeleteConductorRecord(r);
    ++deleted;
  }
  EndTempoMapChange(tempo ? 1 : 0);
  if (deleted == 0) return 0;
  NoteConductorMapChanged();
  if (meter) ApplyMeterChange(GetConductorEndTick());
  if (tempo) RefreshMarkers(0);
  SetSongModified();
  return deleted;
}

void MoveConductorEndTick(int32_t delta) {
  if (!gCurrentSong) return;
  int64_t end = int64_t(ReadU32BE(gCurrentSong + kSongConductorEnd)) + delta;
  WriteU32BE(gCurrentSong + kSongConductorEnd, uint32_t(end < 0 ? 0 : end > INT32_MAX ? INT32_MAX : end));
}

void MoveConductorRecordsInSelection(int32_t delta, int32_t laneKind) {
  uint8_t kind = laneKind == kMasterVolumeLane ? kConductorMasterVolume : kConductorTempo;
  int32_t start = int32_t(gTimeSelection.start.tick);
  int32_t end = int32_t(gTimeSelection.end.tick);
  bool moved = false;
  int32_t count = CountConductorRecords(gCurrentSong);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* r = RecordAt(i);
    int32_t tick = ConductorTick(r);
    if (ConductorKind(r) != kind || tick < start || tick > end) continue;
    WriteI32BE(r + kConductorTickOffset, ClampToTicks(int64_t(tick) + delta));
    moved = true;
  }
  if (!moved) return;
  NoteConductorMapChanged();
  SortConductorMap();
}

void ScaleConductorTimesInSelection(double factor, uint64_t kindMask) {
  int32_t start = int32_t(gTimeSelection.start.tick);
  uint8_t* first = GetConductorStateAt(start + 1);
  if (first == gEmptyConductorMap) return;
  int32_t i = int32_t((first - GetConductorMap()) / kConductorRecordSize);
  int32_t count = CountConductorRecords(gCurrentSong);
  for (; i < count; ++i) {
    uint8_t* r = RecordAt(i);
    int32_t tick = ConductorTick(r);
    if (!IsTimeInSelection(uint32_t(tick))) continue;
    if (!(kindMask & (uint64_t(1) << (ConductorKind(r) & 63)))) continue;
    int32_t scaled = ScaleTickFromSelectionStart(tick, factor);
    WriteI32BE(r + kConductorTickOffset, ClampToTicks(scaled));
  }
  NoteConductorMapChanged();
  SortConductorMap();
  if (kindMask & (uint64_t(1) << kConductorMeter)) SnapMeterChangesToBars();
}

namespace {

OSErr RampMasterVolume(const MasterVolumeEditValues& values) {
  DeleteConductorRecordsInRange(kConductorMasterVolume);
  int32_t start = gConductorRange[0];
  int32_t end = gConductorRange[1];
  int32_t a = ClampLevel(int64_t(values.rampFirst));
  int32_t b = ClampLevel(int64_t(values.rampLast));
  int64_t length = int64_t(end) - start;
  int64_t lastTick = INT64_MIN;
  OSErr err = noErr;
  if (a != b) {
    int32_t step = b > a ? 1 : -1;
    for (int32_t v = a; v != b; v += step) {
      int64_t tick = start + (int64_t(v - a) * length) / (b - a);
      if (tick == lastTick) continue;
      err = SetMasterVolumeAt(v, int32_t(tick));
      lastTick = tick;
      if (err != noErr) break;
    }
  }
  StoreConductorEndTickAtLeast(end);
  if (lastTick != end) err = SetMasterVolumeAt(b, end);
  return err;
}

}  // namespace

OSErr EditMasterVolumeInRange(const MasterVolumeEditValues& values, int32_t mode) {
  switch (mode) {
    case kMasterVolumeSet:
      DeleteConductorRecordsInRange(kConductorMasterVolume);
      gConductorRange[1] = gConductorRange[0];
      return SetMasterVolumeAt(ClampLevel(int64_t(values.level)), gConductorRange[0]);
    case kMasterVolumeAdd:
    case kMasterVolumePercent: {
      if (gConductorRange[1] == kConductorEndTick) gConductorRange[1] = kLastTick;
      uint8_t* r = FindConductorRecordAt(gConductorRange[0], GetConductorMap());
      bool changed = false;
      for (; ConductorKind(r) != kConductorEnd && ConductorTick(r) <= gConductorRange[1];
           r += kConductorRecordSize) {
        if (ConductorKind(r) != kConductorMasterVolume) continue;
        int32_t level = ConductorValue(r);
        if (mode == kMasterVolumeAdd)
          level = ClampLevel(int64_t(float(level) + values.amount));
        else
          level = ClampLevel(MulDivRound32(level, int32_t(values.percentage), 100));
        WriteU16BE(r + kConductorValueOffset, uint16_t(level));
        changed = true;
      }
      if (changed) NoteConductorMapChanged();
      return noErr;
    }
    case kMasterVolumeRamp:
      return RampMasterVolume(values);
    default:
      return noErr;
  }
}
