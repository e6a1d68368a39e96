#include "editing/transforms/note_maps.h"

#include <algorithm>
#include <cstdlib>

#include "editing/event_cursor.h"
#include "platform/memory/memory.h"
#include "song/events/event_filter_slots.h"
#include "song/events/event_seek.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_drum_map.h"
#include "song/model/utility_track_access.h"

uint8_t gInversionChoice = kInversionInvert;
TransposeChoices gTransposeChoices;

namespace {

struct ScalePreset {
  const char* name;
  int32_t count;
  uint8_t steps[kMaxScaleSteps];
};

const ScalePreset kScalePresets[] = {
    {"Chromatic", 12, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {"Natural Minor", 7, {2, 1, 2, 2, 1, 2, 2}},
    {"Major", 7, {2, 2, 1, 2, 2, 2, 1}},
    {"Harmonic Minor", 7, {2, 1, 2, 2, 1, 3, 1}},
    {"Melodic Minor", 7, {2, 1, 2, 2, 2, 2, 1}},
    {"Dorian", 7, {2, 1, 2, 2, 2, 1, 2}},
    {"Phrygian", 7, {1, 2, 2, 2, 1, 2, 2}},
    {"Lydian", 7, {2, 2, 2, 1, 2, 2, 1}},
    {"Mixolydian", 7, {2, 2, 1, 2, 2, 1, 2}},
    {"Major Pentatonic", 5, {2, 2, 3, 2, 3}},
    {"Minor Pentatonic", 5, {3, 2, 2, 3, 2}},
    {"Blues", 6, {3, 2, 1, 1, 3, 2}},
    {"Whole Tone", 6, {2, 2, 2, 2, 2, 2}},
};
constexpr int32_t kPresetCount = int32_t(sizeof(kScalePresets) / sizeof(kScalePresets[0]));

int32_t FloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The semitones of each degree above the key.
void DegreePitches(const ScaleSteps& scale, int32_t* pitches) {
  pitches[0] = 0;
  for (int32_t i = 1; i < scale.count; ++i) pitches[i] = pitches[i - 1] + scale.steps[i - 1];
}

int32_t ValidCount(const ScaleSteps& scale) { return std::clamp(scale.count, 1, kMaxScaleSteps); }

// The note of the scale keyed at base nearest to note (the lower one on a tie).
int32_t NearestScaleNote(const ScaleSteps& scale, int32_t base, int32_t note) {
  int32_t pitches[kMaxScaleSteps];
  DegreePitches(scale, pitches);
  int32_t best = note, bestDistance = 1 << 30;
  for (int32_t octave = FloorDiv(note - base, 12) - 1; octave <= FloorDiv(note - base, 12) + 1; ++octave) {
    for (int32_t d = 0; d < ValidCount(scale); ++d) {
      int32_t candidate = base + 12 * octave + pitches[d];
      int32_t distance = std::abs(candidate - note);
      if (distance < bestDistance || (distance == bestDistance && candidate < best)) {
        best = candidate;
        bestDistance = distance;
      }
    }
  }
  return best;
}

}  // namespace

int32_t CountScalePresets() { return kPresetCount; }

const char* GetScalePresetName(int32_t preset) {
  return preset >= 1 && preset <= kPresetCount ? kScalePresets[preset - 1].name : "";
}

ScaleSteps LoadScaleSteps(int32_t preset, int32_t key) {
  const ScalePreset& p = kScalePresets[preset >= 1 && preset <= kPresetCount ? preset - 1 : 0];
  ScaleSteps scale;
  scale.count = p.count;
  std::copy(p.steps, p.steps + kMaxScaleSteps, scale.steps);
  scale.key = ((key % 12) + 12) % 12;
  return scale;
}

void LocateNoteInScaleSteps(const ScaleSteps& scale, int32_t note, int32_t* index, int32_t* offset) {
  int32_t pitches[kMaxScaleSteps];
  DegreePitches(scale, pitches);
  int32_t count = ValidCount(scale);
  int32_t relative = note - scale.key;
  int32_t octave = FloorDiv(relative, 12);
  int32_t within = relative - 12 * octave;
  int32_t degree = 0;
  while (degree + 1 < count && pitches[degree + 1] <= within) ++degree;
  *index = octave * count + degree;
  *offset = within - pitches[degree];
}

int32_t ScaleStepsNote(const ScaleSteps& scale, int32_t index, int32_t offset) {
  int32_t pitches[kMaxScaleSteps];
  DegreePitches(scale, pitches);
  int32_t count = ValidCount(scale);
  int32_t octave = FloorDiv(index, count);
  return scale.key + 12 * octave + pitches[index - octave * count] + offset;
}

int32_t TransposeInScale(const ScaleSteps& scale, int32_t note, int32_t steps) {
  int32_t index = 0, offset = 0;
  LocateNoteInScaleSteps(scale, note, &index, &offset);
  return FoldNoteToMidiRange(ScaleStepsNote(scale, index + steps, offset));
}

void BuildScaleToScaleMap(uint8_t* map, const ScaleSteps& from, const ScaleSteps& to) {
  std::fill(map, map + kNoteMapSize, uint8_t(0xFF));
  int32_t source = from.key - 12, target = to.key - 12;
  // The keys as the nearer pair: 8 or more semitones apart, the higher one goes an octave down
  // (moving the lower one would only put them further apart).
  if (std::abs(source - target) >= 8) (source > target ? source : target) -= 12;
  int32_t fromPitches[kMaxScaleSteps], toPitches[kMaxScaleSteps];
  DegreePitches(from, fromPitches);
  DegreePitches(to, toPitches);
  bool sameCount = ValidCount(from) == ValidCount(to);
  for (int32_t octave = 0;; ++octave) {
    int32_t base = source + 12 * octave;
    if (base > 127) break;
    for (int32_t d = 0; d < ValidCount(from); ++d) {
      int32_t note = base + fromPitches[d];
      if (note > 127) break;
      if (note < 0) continue;
      int32_t mapped = sameCount ? target + 12 * octave + toPitches[d]
                                 : NearestScaleNote(to, target, note + (target - source));
      map[note] = uint8_t(FoldNoteToMidiRange(mapped));
    }
  }
  for (int32_t k = 0; k < kNoteMapSize; ++k)
    if (map[k] == 0xFF) map[k] = k == 0 ? 0 : map[k - 1];
}

void BuildNoteMap(uint8_t* map, int32_t mode, int32_t source, int32_t target, const ScaleSteps& from,
                  const ScaleSteps& to) {
  switch (mode) {
    case kNoteMapScaleSteps: {
      int32_t sourceIndex = 0, targetIndex = 0, offset = 0;
      LocateNoteInScaleSteps(from, source, &sourceIndex, &offset);
      LocateNoteInScaleSteps(from, target, &targetIndex, &offset);
      for (int32_t k = 0; k < kNoteMapSize; ++k)
        map[k] = uint8_t(TransposeInScale(from, k, targetIndex - sourceIndex));
      break;
    }
    case kNoteMapScaleToScale: BuildScaleToScaleMap(map, from, to); break;
    case kNoteMapOneNote: std::fill(map, map + kNoteMapSize, uint8_t(FoldNoteToMidiRange(target))); break;
    default: break;
  }
}

void BuildInversionMap(uint8_t* map, int32_t centre, bool chromatic, const ScaleSteps& scale) {
  int32_t centreIndex = 0, centreOffset = 0;
  LocateNoteInScaleSteps(scale, centre, &centreIndex, &centreOffset);
  for (int32_t k = 0; k < kNoteMapSize; ++k) {
    if (chromatic) {
      map[k] = uint8_t(FoldNoteToMidiRange(2 * centre - k));
      continue;
    }
    int32_t index = 0, offset = 0;
    LocateNoteInScaleSteps(scale, k, &index, &offset);
    map[k] = uint8_t(FoldNoteToMidiRange(ScaleStepsNote(scale, 2 * centreIndex - index, centreOffset)));
  }
}

void BuildSemitoneShiftMap(uint8_t* map, int32_t n) {
  for (int32_t k = 0; k < kNoteMapSize; ++k) map[k] = uint8_t(FoldNoteToMidiRange(k - n));
}

void BuildDrumRowShiftMap(uint8_t* map, const uint8_t* drumMap, int32_t n) {
  const uint8_t* rows = drumMap + kDrumMapRowOfNote;
  int32_t count = 0;
  for (int32_t k = 0; k < kNoteMapSize; ++k)
    if (rows[k] < kNoteMapSize) count = std::max<int32_t>(count, rows[k]);
  for (int32_t k = 0; k < kNoteMapSize; ++k) {
    map[k] = uint8_t(k);
    if (count == 0 || rows[k] == 0 || rows[k] > count) continue;
    int32_t row = rows[k] + n % count;
    if (row < 1) row += count;
    if (row > count) row -= count;
    for (int32_t note = 0; note < kNoteMapSize; ++note)
      if (rows[note] == row) {
        map[k] = uint8_t(note);
        break;
      }
  }
}

void RetrogradeRange(uint32_t a, uint32_t b) {
  uint8_t* list = GetCurrentTrackEventsPtr();
  if (!list || b <= a) return;
  bool moved = false;
  for (uint8_t* e = SeekEventList(list, int32_t(a)); e; e = GetNextSeqEvent(e)) {
    uint32_t tick = SeqEventTime(e);
    if (tick == 0 || tick < a || tick >= b) break;
    SetCurrentEvent(e);
    SplitCursorEvent();
    if (SeqEventKind(e) == kKindSequenceRef || !RunEventFilter(gCopyFilterProc)) continue;
    uint32_t reference = tick;
    if (SeqEventKind(e) == kKindNote) reference = uint32_t(std::min<uint64_t>(b, uint64_t(tick) + GetNoteDuration(e)));
    SetSeqEventTime(e, std::max<uint32_t>(1, b - (reference - a)));
    moved = true;
  }
  if (moved) SortTrackEvents();
}
