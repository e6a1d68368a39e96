// Step procedures of the little arrows in nib dialogs.
#include "shell/dialogs/nib_dialog_arrows.h"

#include <algorithm>

#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "shell/dialogs/note_names.h"
#include "song/conductor/timebase.h"
#include "song/model/key_codes.h"

namespace {
constexpr int32_t kUnclampedMaximum = 0x7FFFFFFF;

// The field's text selected, the keyboard focus left where it is.
void SelectFieldText(WindowRef window, int32_t id) {
  SetDialogFieldSelection(window, id, 0, 32767, false);
}
}  // namespace

int32_t ArrowPartToDelta(int32_t part) {
  if (part == kControlUpButtonPart || part == int32_t(kArrowUpCommand)) return 1;
  if (part == kControlDownButtonPart || part == int32_t(kArrowDownCommand)) return -1;
  return 0;
}

void StepDialogArrowField(ControlRef control, ControlPartCode part) {
  NibDialog* dialog = static_cast<NibDialog*>(GetControlReference(control));
  int32_t delta = ArrowPartToDelta(part);
  if (!dialog || !dialog->window || delta == 0 || gDialogFocusItem == 0) return;
  int32_t id = int32_t(gDialogFocusItem);
  int32_t value = GetDialogNumber(dialog->window, id);
  int64_t wanted = int64_t(value) + delta;
  SetControl32BitValue(control, int32_t(std::clamp<int64_t>(wanted, INT32_MIN, INT32_MAX)));
  int32_t stepped = GetControl32BitValue(control);
  if (stepped == value) return;
  SetDialogFieldNumber(dialog, stepped, id);
  SelectFieldText(dialog->window, id);
}

void StepDialogArrowField64(ControlRef control, ControlPartCode part, int32_t min, int32_t max,
                            int32_t fieldId) {
  WindowRef window = GetControlOwner(control);
  int32_t delta = ArrowPartToDelta(part);
  if (!window || delta == 0) return;
  int64_t value = GetDialogNumber64(window, fieldId);
  SetControl32BitMinimum(control, min);
  SetControl32BitMaximum(control, max);
  int64_t stepped = value + delta;
  if (max != kUnclampedMaximum) {
    SetControl32BitValue(control, int32_t(std::clamp<int64_t>(stepped, INT32_MIN, INT32_MAX)));
    stepped = GetControl32BitValue(control);
  }
  if (stepped == value) return;
  SetDialogNumber64(window, stepped, fieldId);
  SelectFieldText(window, fieldId);
}

void StepDialogIndexField(ControlRef control, ControlPartCode part, int32_t fieldId,
                          int32_t viewId) {
  WindowRef window = GetControlOwner(control);
  if (!window) return;
  if (part == kControlUpButtonPart || part == kControlDownButtonPart)
    gDialogFocusItem = uint32_t(fieldId);
  int32_t delta = ArrowPartToDelta(part);
  uint32_t current = std::min<uint32_t>(gStepNoteValueIndex, kNoteValueCount - 1);
  SetControl32BitMinimum(control, 0);
  SetControl32BitMaximum(control, kNoteValueCount - 1);
  SetControl32BitValue(control, int32_t(current) - delta);
  uint32_t index = uint32_t(GetControl32BitValue(control));
  if (index == gStepNoteValueIndex) return;
  gStepNoteValueIndex = index;
  SetDialogNumber(window, gNoteValueTicks[index], fieldId);
  SelectFieldText(window, fieldId);
  RedrawDialogView(window, viewId);
}

void StepDialogMidiValue(NibDialog* dialog, int32_t fieldId, int32_t part, bool asKeyName) {
  if (!dialog || !dialog->window) return;
  int32_t value = GetDialogNoteValue(dialog->window, fieldId);
  if (value < 0) value = 0;
  int32_t stepped = std::clamp(value + ArrowPartToDelta(part), 0, 127);
  if (stepped == value) return;
  if (asKeyName) {
    gTypedAccidental = 0;
    SetDialogFieldText(dialog, PitchName(stepped), fieldId);
  } else {
    SetDialogNoteName(dialog, stepped, fieldId);
  }
  SelectFieldText(dialog->window, fieldId);
}

void SetDialogControlAction(NibDialog* dialog, ControlRef control, ControlActionUPP actionUPP) {
  if (!dialog || !control || !actionUPP) return;
  dialog->actionControl = control;
  dialog->actionUPP = actionUPP;
  SetControlReference(control, SRefCon(dialog));
  SetControlAction(control, actionUPP);
}
