#include "editors/note_entry/note_values.h"

#include <algorithm>

#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "shell/base/arithmetic.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/timebase.h"
#include "song/model/window_redraw.h"

NoteValueState gNoteValueState;
uint32_t gNoteValueKeepMask = kKeepAllButDotted;

namespace {

constexpr int16_t kLastPairedEntry = 15;
constexpr int16_t kShortestNoteIndex = 6;
constexpr int16_t kShortestGridIndex = 4;
constexpr uint8_t kAudioViewMode = 9;

int32_t* ValueOf(int16_t which) {
  return which == kGridValueField ? &gNoteValueState.gridValue : &gNoteValueState.noteValue;
}
uint32_t* MaskOf(int16_t which) {
  return which == kGridValueField ? &gNoteValueState.gridMask : &gNoteValueState.noteMask;
}
uint8_t* IndexOf(int16_t which) {
  return which == kGridValueField ? &gNoteValueState.gridIndex : &gNoteValueState.noteIndex;
}

int32_t TupletDivisor(uint32_t mask) {
  if (mask & kSeptupletBit) return 7;
  if (mask & kQuintupletBit) return 5;
  if (mask & kTripletBit) return 3;
  return 2;
}

}  // namespace

int32_t GetNoteValue() {
  if (gNoteValueState.noteValue <= 0) SyncNoteValueIndexes();
  return std::max(gNoteValueState.noteValue, 1);
}

int32_t GetSnapGrid() { return gNoteValueState.gridValue > 0 ? gNoteValueState.gridValue : GetNoteValue(); }

void RecomputeNoteValuesForResolution() {
  if (gNoteValueState.noteMask & kNoteLengthBits) RecomputeNoteValue(kNoteValueField);
  else gNoteValueState.noteValue = 0;
  if (gNoteValueState.gridValue && (gNoteValueState.gridMask & kNoteLengthBits)) RecomputeNoteValue(kGridValueField);
  SyncNoteValueIndexes();
}

void ResetNoteValues() {
  gNoteValueState = NoteValueState();
  gNoteValueKeepMask = kKeepAllButDotted;
  SyncNoteValueIndexes();
}

void NoteWasEntered() { gNoteValueKeepMask = kKeepAllButDotted; }

bool IsNoteValueView(int16_t viewMode) {
  return viewMode == 0 || viewMode == kRowViewMode || viewMode == kAudioViewMode || viewMode == kRowViewMode2;
}

void SetNoteValueBitKeeping(int16_t k, int16_t which, bool keepOthers) {
  if (k < 0 || k > 6) return;
  *IndexOf(which) = uint8_t(k);
  uint32_t* mask = MaskOf(which);
  if (!keepOthers) *mask &= gNoteValueKeepMask;
  gNoteValueKeepMask = kKeepTuplets;
  *mask |= 1u << k;
  InvalidateEditorWindow();
}

void SetNoteValueBit(int16_t k, int16_t which) {
  SetNoteValueBitKeeping(k, which, (GetCurrentKeyModifiers() & shiftKey) != 0);
}

int32_t NoteValueOfMask(uint32_t mask) {
  int32_t sum = 0;
  for (int k = 0; k <= 6; ++k)
    if (mask & (1u << k)) sum += gWholeNoteTicks >> k;
  int32_t value = MulDivRound(sum, (mask & kDottedBit) ? 3 : 2, TupletDivisor(mask));
  // A note value of 0 would give notes without length and a snap step of nothing.
  return value > 0 ? value : 1;
}

void RecomputeNoteValue(int16_t which) {
  int32_t value = NoteValueOfMask(*MaskOf(which));
  if (which == kGridValueField && value == gNoteValueState.noteValue) value = 0;
  *ValueOf(which) = value;
  InvalidateEditorWindow();
}

void ToggleTupletBitFor(uint8_t bit, bool grid) {
  if (!IsNoteValueView(gCurrentViewMode)) return;
  int16_t which = grid ? kGridValueField : kNoteValueField;
  if (grid && gNoteValueState.gridValue == 0) {
    gNoteValueState.gridValue = gNoteValueState.noteValue;
    gNoteValueState.gridMask = gNoteValueState.noteMask;
    gNoteValueState.gridIndex = gNoteValueState.noteIndex;
  }
  uint32_t* mask = MaskOf(which);
  uint32_t kept = *mask & (uint32_t(bit) << 8);
  *mask = (*mask & ~kTupletBits) | ((uint32_t(bit) << 8) & ~kept);
  RecomputeNoteValue(which);
}

void ToggleTupletBit(uint8_t bit) { ToggleTupletBitFor(bit, (GetCurrentKeyModifiers() & cmdKey) != 0); }

void NoteValueKey(int16_t k) {
  if (!IsNoteValueView(gCurrentViewMode)) return;
  SetNoteValueBit(k, kNoteValueField);
  RecomputeNoteValue(kNoteValueField);
}

int16_t NearestNoteLengthIndex(int32_t length) {
  for (int16_t i = 0; i < kLastPairedEntry; ++i) {
    int32_t longer = gNoteValueTicks[i], shorter = gNoteValueTicks[i + 1];
    if (length > longer || length < shorter) continue;
    return (longer - length < length - shorter) ? i : int16_t(i + 1);
  }
  return 0;
}

void SyncNoteValueIndexes() {
  if (gNoteValueState.noteValue == 0) {
    gNoteValueState.noteValue = gTicksPerQuarter > 0 ? gTicksPerQuarter : 1;
    gNoteValueState.noteMask = 1u << kQuarterLengthBit;
  }
  int32_t shortest = gNoteValueTicks[kLastPairedEntry];
  int32_t note = gNoteValueState.noteValue;
  gNoteValueState.noteIndex = uint8_t(note < shortest ? kShortestNoteIndex : NearestNoteLengthIndex(note) / 3);
  int32_t grid = GetSnapGrid();
  gNoteValueState.gridIndex = uint8_t(grid < shortest ? kShortestGridIndex : NearestNoteLengthIndex(grid) / 3);
}
