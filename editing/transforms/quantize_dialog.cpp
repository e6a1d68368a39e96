#include "editing/transforms/quantize_dialog.h"

#include <algorithm>

#include "editing/edit_commands.h"
#include "editing/transforms/quantize_run.h"
#include "editing/transforms/transform_menu.h"
#include "editing/transforms/transform_frame.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/conductor/timebase.h"

namespace {

// The strength and swing fields the value arrows step; their values are read without a check.
int32_t gStrengthValue = 100;
int32_t gSwingValue = 50;
const TransformField kValueFields[] = {
    {kQuantizeStrengthField, 0, 300, &gStrengthValue},
    {kQuantizeSwingField, 0, 300, &gSwingValue},
};
constexpr int32_t kValueFieldCount = 2;

void StepQuantizeValue(ControlRef control, ControlPartCode part) {
  if (gDialogFocusItem != uint32_t(kQuantizeStrengthField) &&
      gDialogFocusItem != uint32_t(kQuantizeSwingField))
    gDialogFocusItem = kQuantizeStrengthField;
  StepTransformArrowField(control, part, kValueFields, kValueFieldCount);
}

void StepQuantizeGrid(ControlRef control, ControlPartCode part) {
  StepDialogIndexField(control, part, kQuantizeGridField, kQuantizeNotePicture);
}

OSStatus HandleQuantizeEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  TransformDialog* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  if (command == UInt32(kQuantizeGridField) ||
      (command >= UInt32(kQuantizeStrengthField) && command <= 16)) {
    gDialogFocusItem = command;
    return noErr;
  }
  if (command == UInt32(kQuantizeGridRadio)) {
    SetDialogRadioGroupFromRange(d->base.window, kQuantizeGridRadio, kQuantizeGridRadio);
    return noErr;
  }
  return eventNotHandledErr;
}

void ShowQuantizeSettings(TransformDialog* d, const QuantizeSettings* s) {
  WindowRef window = d->base.window;
  SetDialogFlagBoxes(window, GetQuantizeByte(s, kQuantizeFlags), kQuantizeStartsBox, 2);
  SetDialogCheckBox(window, kQuantizeTripletsBox,
                    GetQuantizeByte(s, kQuantizeOptions) & kQuantizeTriplets);
  SetDialogRadioGroup(window, kQuantizeGridRadio, kQuantizeGridRadio, kQuantizeGridRadio);
  gStepNoteValueIndex = uint32_t(std::clamp(GetQuantizeU32(s, kQuantizeGridIndex), 0,
                                            kNoteValueCount - 1));
  SetDialogFieldNumber(&d->base, gNoteValueTicks[gStepNoteValueIndex], kQuantizeGridField);
  SetDialogFieldNumber(&d->base, GetQuantizeI16(s, kQuantizeTimingStrength), kQuantizeStrengthField);
  SetDialogFieldNumber(&d->base, GetQuantizeI16(s, kQuantizeSwing), kQuantizeSwingField);
}

int32_t ReadPercentField(WindowRef window, int32_t id) {
  return std::clamp(GetDialogNumber(window, id), int32_t(INT16_MIN), int32_t(INT16_MAX));
}

void StoreQuantizeSettings(TransformDialog* d, QuantizeSettings* s) {
  WindowRef window = d->base.window;
  SetQuantizeByte(s, kQuantizeFlags,
                  GetDialogFlagBoxes(window, GetQuantizeByte(s, kQuantizeFlags), kQuantizeStartsBox, 2));
  uint8_t options = GetQuantizeByte(s, kQuantizeOptions) & uint8_t(~kQuantizeTriplets);
  if (GetDialogViewValue(window, kQuantizeTripletsBox)) options |= kQuantizeTriplets;
  SetQuantizeByte(s, kQuantizeOptions, options);
  SetQuantizeByte(s, kQuantizeKind, kQuantizeKindGrid);
  SetQuantizeI16(s, kQuantizeTimingStrength, ReadPercentField(window, kQuantizeStrengthField));
  SetQuantizeI16(s, kQuantizeSwing, ReadPercentField(window, kQuantizeSwingField));
  SetQuantizeU32(s, kQuantizeGrid, GetDialogNumber(window, kQuantizeGridField));
  SetQuantizeU32(s, kQuantizeGridIndex, int32_t(gStepNoteValueIndex));
}

}  // namespace

bool RunQuantizeDialog(QuantizeSettings* settings, bool applyOnOk) {
  if (applyOnOk && !RequireTimeSelection()) return false;
  TransformDialog d;
  bool confirmed = false;
  if (CreateTransformDialog("sequan", &d, HandleQuantizeEvent, kQuantizeHelpTopic) == noErr) {
    d.settings = settings;
    d.appliesItself = applyOnOk ? 1 : 0;
    ShowQuantizeSettings(&d, settings);
    InstallTransformArrows(&d, kQuantizeValueArrows, StepQuantizeValue);
    InstallTransformArrows(&d, kQuantizeGridArrows, StepQuantizeGrid);
    confirmed = RunTransformDialog(&d, kQuantizeGridField);
    if (confirmed) StoreQuantizeSettings(&d, settings);
    if (confirmed && applyOnOk) d.applied = RunQuantize(settings, true) ? 1 : 0;
  }
  DisposeNibDialog(&d.base);
  return confirmed;
}

void OpenQuantizeDialog() { RunQuantizeDialog(&gQuantizeSettings, true); }
