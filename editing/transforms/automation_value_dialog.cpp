// The "conaudio" dialog: set, add, percent or ramp over the automation points of the audio
// lane in front (volume, pan, plug-in parameter, send level and pan) or the master-volume
// records, with the values in the lane parameter's own range. It validates: the fields of the
// chosen operation are range-checked on confirm.
#include <cmath>

#include "editing/edit_commands.h"
#include "editing/transforms/automation_value_transform.h"
#include "editing/transforms/controller_value_transform.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/value_dialogs.h"
#include "editors/automation/rack_focus.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "platform/text/pascal_strings.h"

namespace {

constexpr int16_t kAutomationHelp = 566;
constexpr int32_t kOperationFirst = 3, kOperationLast = 6;
constexpr int32_t kSetField = 7, kAddField = 8, kPercentField = 9, kRampStartField = 10, kRampEndField = 11;
constexpr int32_t kNameText = 12;
constexpr double kMaxPercent = 5000;

AutomationLaneTarget gDialogTarget;

struct FloatField {
  int32_t id;
  float ControllerEditState::*value;
};
constexpr FloatField kFloatFields[] = {
    {kSetField, &ControllerEditState::setValue},       {kAddField, &ControllerEditState::addAmount},
    {kPercentField, &ControllerEditState::percent},    {kRampStartField, &ControllerEditState::rampStart},
    {kRampEndField, &ControllerEditState::rampEnd},
};

void FieldRange(int32_t id, double* min, double* max) {
  double range = double(gDialogTarget.maximum) - gDialogTarget.minimum;
  if (id == kAddField) *min = -range, *max = range;
  else if (id == kPercentField) *min = 0, *max = kMaxPercent;
  else *min = gDialogTarget.minimum, *max = gDialogTarget.maximum;
}

// The fields of an operation, in ID order: set 7, add 8, percent 9, ramp 10 and 11.
bool ReadOperationFields(WindowRef w, int32_t operation) {
  int32_t first = kSetField + operation, last = operation == kValueRamp ? kRampEndField : first;
  double values[2] = {};
  for (int32_t id = first; id <= last; ++id) {
    double min = 0, max = 0;
    FieldRange(id, &min, &max);
    if (!GetDialogDoubleInRange(w, min, max, &values[id - first], id)) return false;
  }
  for (int32_t id = first; id <= last; ++id) gControllerEditState.*kFloatFields[id - kSetField].value = float(values[id - first]);
  return true;
}

OSStatus HandleAutomationEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformValidates, &command);
  if (result != kTransformCommandPending) return result;
  WindowRef w = d->base.window;
  if (command == kHICommandOK) {
    BeginTransformConfirm();
    uint8_t operation = uint8_t(GetDialogRadioChoice(w, kOperationFirst, 4));
    if (ReadOperationFields(w, operation)) gValueOperation = operation;
    return EndTransformConfirm(d);
  }
  if (command == kHICommandCancel) return EndTransformDialog(d);
  if (command >= UInt32(kSetField) && command <= UInt32(kRampEndField)) {
    gDialogFocusItem = command;
    int32_t operation = command >= UInt32(kRampStartField) ? kValueRamp : int32_t(command) - kSetField;
    SetDialogRadioGroup(w, kOperationFirst, kOperationLast, kOperationFirst + operation);
    return noErr;
  }
  if (command >= UInt32(kOperationFirst) && command <= UInt32(kOperationLast))
    return SetDialogRadioGroupFromRange(w, kOperationFirst, kOperationLast), noErr;
  return eventNotHandledErr;
}

void ShowFields(TransformDialog* d) {
  for (const FloatField& f : kFloatFields) {
    double min = 0, max = 0;
    FieldRange(f.id, &min, &max);
    double v = gControllerEditState.*f.value;
    SetDialogDouble(&d->base, f.id, true, std::isfinite(v) ? std::fmin(std::fmax(v, min), max) : min);
  }
  char name[64] = {};
  GetAutomationTargetName(gDialogTarget, name, int32_t(sizeof name));
  Str255 text;
  CopyCStringToPascal(name, text);
  SetDialogText(d->base.window, text, kNameText);
}

}  // namespace

void OpenAutomationValueDialog(int32_t lane) {
  if (!RequireTimeSelection()) return;
  if (!GetAutomationLaneTarget(lane, GetFocusedPluginHandle(), &gDialogTarget)) return;
  TransformDialog d;
  if (CreateTransformDialog("conaudio", &d, HandleAutomationEvent, kAutomationHelp) == noErr) {
    ShowFields(&d);
    SetDialogRadioGroup(d.base.window, kOperationFirst, kOperationLast, kOperationFirst + (gValueOperation & 3));
    if (RunTransformDialog(&d, kSetField + (gValueOperation & 3))) {
      gControllerEditState.sineRamp = (GetCurrentKeyModifiers() & optionKey) ? 1 : 0;
      ApplyAutomationValueEdit(lane);
    }
  }
  DisposeNibDialog(&d.base);
}
