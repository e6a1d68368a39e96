#include "editing/transforms/quantize_grid.h"

#include <algorithm>
#include <cstdlib>

#include "editing/event_cursor.h"
#include "editing/transforms/transform_frame.h"
#include "shell/base/arithmetic.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_filter_slots.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"

namespace {

constexpr int32_t kLastTick = int32_t(kSortSentinelTime) - 1;

// The nearer of best and candidate to offset; the candidate on equal distance.
void KeepNearer(int32_t offset, int32_t candidate, int32_t* best, int64_t* bestDistance) {
  int64_t distance = std::abs(int64_t(candidate) - offset);
  if (distance <= *bestDistance) {
    *best = candidate;
    *bestDistance = distance;
  }
}

int32_t ClampTick(int64_t t) { return int32_t(std::clamp<int64_t>(t, 1, kLastTick)); }

// The grid point for an offset in its bar: the straight grid, the triplet grid, the bar line.
int32_t GridPointInBar(const QuantizeSettings* s, int32_t offset, int32_t barLength,
                       int32_t swingOffset) {
  const int32_t grid = QuantizeGridTicks(s);
  const int32_t n = DivRound(offset, grid);
  int32_t best = int32_t(int64_t(n) * grid);
  int64_t bestDistance = std::abs(int64_t(best) - offset);
  if (GetQuantizeByte(s, kQuantizeOptions) & kQuantizeTriplets) {
    const int32_t triplet = 2 * grid / 3;
    if (triplet > 0) KeepNearer(offset, DivRound(offset, triplet) * triplet, &best, &bestDistance);
  }
  if (barLength > 0) KeepNearer(offset, barLength, &best, &bestDistance);
  if (n & 1) best += swingOffset;
  return best;
}

}  // namespace

int32_t QuantizeSwingOffset(const QuantizeSettings* s) {
  const int32_t grid = QuantizeGridTicks(s);
  return MulDivRound(grid, 2 * GetQuantizeI16(s, kQuantizeSwing), 100) - grid;
}

int32_t ApplyTimingStrength(const QuantizeSettings* s, int32_t tick, int32_t target) {
  const int32_t strength = GetQuantizeI16(s, kQuantizeTimingStrength);
  if (strength == 100) return ClampTick(target);
  return ClampTick(int64_t(tick) + MulDivRound(target - tick, strength, 100));
}

int32_t QuantizeTick(const QuantizeSettings* s, int32_t tick, int32_t swingOffset) {
  int32_t bar = 0;
  int32_t offset = tick - 1;
  TickToBarAndOffset(tick, &bar, &offset);
  const int32_t barLength = gConductorState.ticksPerBar;
  const int32_t point = GridPointInBar(s, offset, barLength, swingOffset);
  return ApplyTimingStrength(s, tick, BarBeatTickToTick(bar, 0, point));
}

void CollectSelectionNotes(std::vector<uint8_t*>* notes) {
  notes->clear();
  const uint32_t end = gTimeSelection.end.tick;
  for (TargetCurrentTrack(); gCurrentEvent != nullptr; AdvanceEventCursor()) {
    uint32_t tick = SplitCursorEvent();
    if (tick == 0 || tick >= end) break;
    if (gEventCommand != kKindNote) continue;
    if (CopyFilterTakesEvent() && EditFilterTakesEvent()) notes->push_back(gCurrentEvent);
  }
}

void FindChordGroups(const std::vector<uint8_t*>& notes,
                     std::vector<std::pair<size_t, size_t>>* groups) {
  groups->clear();
  size_t first = 0;
  for (size_t i = 1; i <= notes.size(); ++i) {
    if (i < notes.size() &&
        SeqEventTime(notes[i]) - SeqEventTime(notes[first]) <= uint32_t(gChordWindow))
      continue;
    if (first < notes.size()) groups->push_back({first, i});
    first = i;
  }
}

namespace {

int32_t AverageStart(const std::vector<uint8_t*>& notes, size_t first, size_t end) {
  int64_t sum = 0;
  for (size_t i = first; i < end; ++i) sum += SeqEventTime(notes[i]);
  return int32_t(sum / int64_t(end - first));
}

uint32_t NoteEnd(const uint8_t* note) { return SeqEventTime(note) + GetNoteDuration(note); }

uint32_t QuantizeChords(const QuantizeSettings* s, const std::vector<uint8_t*>& notes,
                        int32_t swing, bool* moved) {
  std::vector<std::pair<size_t, size_t>> groups;
  FindChordGroups(notes, &groups);
  uint32_t last = 0;
  for (auto [first, end] : groups) {
    const int32_t average = AverageStart(notes, first, end);
    const int32_t shift = QuantizeTick(s, average, swing) - average;
    for (size_t i = first; i < end; ++i) {
      if (shift != 0) {
        SetSeqEventTime(notes[i], uint32_t(ClampTick(int64_t(SeqEventTime(notes[i])) + shift)));
        *moved = true;
      }
      last = std::max(last, NoteEnd(notes[i]));
    }
  }
  return last;
}

}  // namespace

uint32_t QuantizeNotesToGrid(const QuantizeSettings* s, const std::vector<uint8_t*>& notes,
                             bool* moved) {
  const int32_t swing = QuantizeSwingOffset(s);
  const uint8_t flags = GetQuantizeByte(s, kQuantizeFlags);
  if (flags & kQuantizeChords) return QuantizeChords(s, notes, swing, moved);
  uint32_t last = 0;
  for (uint8_t* note : notes) {
    const int32_t start = int32_t(SeqEventTime(note));
    int32_t newStart = start;
    if (flags & kQuantizeStarts) newStart = QuantizeTick(s, start, swing);
    if (flags & kQuantizeDurations) {
      int32_t end = QuantizeTick(s, start + GetNoteDuration(note), swing);
      SetEventDuration(note, end - newStart);
    }
    if (newStart != start) {
      SetSeqEventTime(note, uint32_t(newStart));
      *moved = true;
    }
    last = std::max(last, NoteEnd(note));
  }
  return last;
}
