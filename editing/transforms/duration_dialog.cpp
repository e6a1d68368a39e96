// The "dur" dialog: the duration settings and the transform run on OK.
#include <algorithm>

#include "editing/transforms/duration_transform.h"
#include "editing/transforms/transform_frame.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/conductor/timebase.h"

namespace {

constexpr int16_t kDurationHelpTopic = 503;
constexpr int32_t kFirstModeRadio = 3;  // radios 3..7: modes 0..4
constexpr int32_t kLastModeRadio = 7;
constexpr int32_t kFixedLengthField = 8;
constexpr int32_t kMinimumGapField = 13;
constexpr int32_t kNoteValueView = 14;
constexpr int32_t kRespaceBox = 18;
constexpr int32_t kOverlapBox = 19;
constexpr int32_t kArrows = 20;

DurationSettings gEdited;

const TransformField kFields[] = {
    {9, 1, 1000, &gEdited.startPercent},   {10, -32000, 32000, &gEdited.addedTicks},
    {11, 1, 1000, &gEdited.endPercent},    {12, 0, 1000, &gEdited.legatoGap},
    {13, 0, 1000, &gEdited.minimumGap},    {15, 1, 1000, &gEdited.fixedPercent},
};
constexpr int32_t kFieldCount = 6;

// The mode a field's command selects (-1: none).
int32_t ModeOfField(UInt32 id) {
  switch (id) {
    case 8: return kDurationSet;
    case 9:
    case 11: return kDurationRamp;
    case 12: return kDurationLegato;
    case 10: return kDurationAdd;
    case 15: return kDurationPercent;
    default: return -1;
  }
}

void ShowMode(WindowRef w, int32_t mode) {
  SetDialogRadioGroup(w, kFirstModeRadio, kLastModeRadio, kFirstModeRadio + mode);
}

void FillDurationDialog(TransformDialog* d) {
  WindowRef w = d->base.window;
  if (gEdited.endPercent < 0) gEdited.endPercent = gEdited.startPercent;
  ShowMode(w, gEdited.mode);
  SetDialogFieldNumber(&d->base, gEdited.fixedLength, kFixedLengthField);
  ShowTransformFields(d, kFields, kFieldCount);
  SetDialogCheckBox(w, kRespaceBox, gEdited.flags & kDurationRespace);
  SetDialogCheckBox(w, kOverlapBox, gEdited.flags & kDurationRemoveOverlaps);
}

int32_t ReadClamped(WindowRef w, const TransformField& f) {
  return std::clamp(GetDialogNumber(w, f.id), f.min, f.max);
}

void ReadDurationDialog(WindowRef w) {
  gEdited.fixedLength = std::clamp(GetDialogNumber(w, kFixedLengthField), 0, 65535);
  for (const TransformField& f : kFields) *f.value = ReadClamped(w, f);
  gEdited.mode = GetDialogRadioChoice(w, kFirstModeRadio, kLastModeRadio - kFirstModeRadio + 1);
  int32_t flags = gEdited.flags & ~(kDurationRespace | kDurationRemoveOverlaps);
  if (GetDialogViewValue(w, kRespaceBox)) flags |= kDurationRespace;
  if (GetDialogViewValue(w, kOverlapBox)) flags |= kDurationRemoveOverlaps;
  gEdited.flags = flags;
  gEdited.noteValueIndex = int32_t(gStepNoteValueIndex);
  gDurationSettings = gEdited;
}

OSStatus HandleDurationCommand(TransformDialog* d, UInt32 command) {
  WindowRef w = d->base.window;
  int32_t mode = ModeOfField(command);
  if (mode >= 0) {
    gDialogFocusItem = command;
    ShowMode(w, mode);
    return noErr;
  }
  if (command == UInt32(kMinimumGapField)) {
    gDialogFocusItem = command;
    SetDialogCheckBox(w, kOverlapBox, 1);
    return noErr;
  }
  if (command >= UInt32(kFirstModeRadio) && command <= UInt32(kLastModeRadio)) {
    SetDialogRadioGroupFromRange(w, kFirstModeRadio, kLastModeRadio);
    return noErr;
  }
  return eventNotHandledErr;
}

OSStatus HandleDurationEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  TransformDialog* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  if (command == kHICommandOK) {
    ReadDurationDialog(d->base.window);
    return noErr;
  }
  if (command == kHICommandCancel) return noErr;
  return HandleDurationCommand(d, command);
}

// On field 8 the note value steps (and mode 0 is chosen); otherwise the focused field.
void StepDurationArrows(ControlRef control, ControlPartCode part) {
  NibDialog* dialog = static_cast<NibDialog*>(GetControlReference(control));
  if (!dialog) return;
  if (gDialogFocusItem == uint32_t(kFixedLengthField) || gDialogFocusItem == uint32_t(kArrows)) {
    StepDialogIndexField(control, part, kFixedLengthField, kNoteValueView);
    ShowMode(dialog->window, kDurationSet);
    return;
  }
  StepTransformArrowField(control, part, kFields, kFieldCount);
}

}  // namespace

void OpenDurationDialog() {
  TransformDialog d;
  gEdited = gDurationSettings;
  gStepNoteValueIndex = uint32_t(std::clamp(gEdited.noteValueIndex, 0, kNoteValueCount - 1));
  if (CreateTransformDialog("dur", &d, HandleDurationEvent, kDurationHelpTopic) == noErr) {
    FillDurationDialog(&d);
    InstallTransformArrows(&d, kArrows, StepDurationArrows);
    if (RunTransformDialog(&d, kFixedLengthField)) RunDurationTransform(gDurationSettings);
  }
  DisposeNibDialog(&d.base);
}
