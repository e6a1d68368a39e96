#include "editing/transforms/note_value_fields.h"

#include <algorithm>

#include "shell/dialogs/note_names.h"
#include "shell/dialogs/value_drag.h"

bool gNoteValueTyped = false;

namespace {

constexpr int16_t kNoteDragMode = 4;
int32_t gNoteValueStyle = 0;
int32_t gShownNote = 0;
ValueChangeProc gNoteChangeProc = nullptr;

bool AllDigits(const unsigned char* text) {
  for (int32_t i = 1; i <= text[0]; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

bool EndsWithDigit(const unsigned char* text) { return text[0] > 0 && text[text[0]] >= '0' && text[text[0]] <= '9'; }

// The commit: a plain number as typed, a name with its octave as parsed, anything else the
// value shown last.
void CommitNoteValue(int32_t number) {
  const unsigned char* text = gValueField.text;
  int32_t value = gShownNote;
  if (text[0] > 0 && AllDigits(text)) {
    value = std::clamp(number, 0, 127);
  } else if (EndsWithDigit(text)) {
    int32_t note = ParseNoteOrNumber(text, nullptr);
    if (note != kNoNote) value = note;
  }
  gValueField.value = value;
  if (gNoteChangeProc) gNoteChangeProc(value);
}

void StepNoteValue(int32_t value) {
  gShownNote = value;
  if (gNoteChangeProc) gNoteChangeProc(value);
}

}  // namespace

void ShowNoteValue(int32_t note) {
  gValueField.value = note;
  gShownNote = note;
  MakeNoteName(gValueField.text, note, gNoteValueStyle);
  RedrawValueField();
  gNoteValueStyle = 0;
}

void ApplyTypedValue(uint8_t) {
  const unsigned char* text = gValueField.text;
  if (text[0] == 0 || AllDigits(text) || !EndsWithDigit(text)) {
    RedrawValueField();
    return;
  }
  int32_t kind = 0;
  int32_t note = ParseNoteOrNumber(text, &kind);
  if (note == kNoNote) {
    RedrawValueField();
    return;
  }
  gNoteValueTyped = true;
  gNoteValueStyle = kind;
  ShowNoteValue(note);
}

int32_t DragMidiValue(ValueChangeProc changeProc, int32_t value, int32_t style) {
  CommitValueFieldEdit();
  gNoteChangeProc = changeProc;
  gNoteValueStyle = style;
  gShownNote = value;
  gNoteValueTyped = false;
  gValueField.limitCheck = 0;
  int32_t result = TrackValueDragLoop(StepNoteValue, 0, 127, value, ShowNoteValue, false);
  gValueField.changeProc = CommitNoteValue;
  gValueField.keyProc = ApplyTypedValue;
  gValueField.flags |= 1u << kNoteDragMode;
  return result;
}
