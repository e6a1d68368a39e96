// The "conmidi" and "pb" dialogs: set, add, percent or ramp over the controller, channel
// pressure or pitch-bend data of the time selection. They validate: the fields the chosen
// operation uses are range-checked on confirm.
#include <algorithm>

#include "editing/edit_commands.h"
#include "editing/transforms/controller_value_transform.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/value_dialogs.h"
#include "editing/transforms/value_settings.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "editors/timeline/lane_values.h"
#include "shell/windows/track_view_modes.h"

namespace {

// --- shared by both -------------------------------------------------------------------

// The remembered values of the controller dialogs move into the edit state as floats.
void FillEditState(int32_t rangeCents) {
  ControllerEditState& s = gControllerEditState;
  s.bendRangeCents = rangeCents;
  s.setValue = float(gValueSetValue);
  s.addAmount = float(gValueAddAmount);
  s.percent = float(gValuePercent);
  s.rampStart = float(gValueRampStart);
  s.rampEnd = float(gValueRampEnd);
  s.valueInForce = kNoValueInForce;
  s.sineRamp = (GetCurrentKeyModifiers() & optionKey) ? 1 : 0;
}

// The fields of one operation (set, add, percent, ramp) in a dialog's table.
struct OperationFields {
  int32_t first;
  int32_t count;
};

// --- "conmidi" ------------------------------------------------------------------------

constexpr int16_t kControllerHelp = 515;
constexpr int32_t kTargetFirst = 3, kTargetLast = 5;
constexpr int32_t kControllerField = 6;
constexpr int32_t kOperationFirst = 7, kOperationLast = 10;
constexpr int32_t kControllerArrows = 17;

const TransformField kControllerFields[] = {
    {kControllerField, 0, 127, &gTransformController}, {11, 0, 127, &gValueSetValue},
    {12, -127, 127, &gValueAddAmount}, {13, 0, 5000, &gValuePercent},
    {14, 0, 127, &gValueRampStart},    {15, 0, 127, &gValueRampEnd},
};
constexpr int32_t kControllerFieldCount = 6;
// Index into kControllerFields by operation.
constexpr OperationFields kControllerOperationFields[] = {{1, 1}, {2, 1}, {3, 1}, {4, 2}};

int32_t OperationOfControllerField(UInt32 id) { return id <= 13 ? int32_t(id) - 11 : 3; }

bool ConfirmControllerDialog(WindowRef w) {
  BeginTransformConfirm();
  uint8_t target = uint8_t(GetDialogRadioChoice(w, kTargetFirst, 3));
  uint8_t operation = uint8_t(GetDialogRadioChoice(w, kOperationFirst, 4));
  if (target == kTargetControllerN && !ReadTransformFields(w, kControllerFields, 1)) return false;
  const OperationFields& f = kControllerOperationFields[operation];
  if (!ReadTransformFields(w, kControllerFields + f.first, f.count)) return false;
  gControllerTarget = target;
  gValueOperation = operation;
  return true;
}

OSStatus HandleControllerEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformValidates, &command);
  if (result != kTransformCommandPending) return result;
  WindowRef w = d->base.window;
  if (command == kHICommandOK) {
    ConfirmControllerDialog(w);
    return EndTransformConfirm(d);
  }
  if (command == kHICommandCancel) return EndTransformDialog(d);
  if (command == UInt32(kControllerField)) {
    gDialogFocusItem = command;
    SetDialogRadioGroup(w, kTargetFirst, kTargetLast, kTargetFirst + kTargetControllerN);
    return noErr;
  }
  if (FocusTransformField(command, kControllerFields, kControllerFieldCount)) {
    SetDialogRadioGroup(w, kOperationFirst, kOperationLast, kOperationFirst + OperationOfControllerField(command));
    return noErr;
  }
  if (command >= UInt32(kTargetFirst) && command <= UInt32(kTargetLast))
    return SetDialogRadioGroupFromRange(w, kTargetFirst, kTargetLast), noErr;
  if (command >= UInt32(kOperationFirst) && command <= UInt32(kOperationLast))
    return SetDialogRadioGroupFromRange(w, kOperationFirst, kOperationLast), noErr;
  return eventNotHandledErr;
}

void StepControllerArrows(ControlRef control, ControlPartCode part) {
  StepTransformArrowField(control, part, kControllerFields, kControllerFieldCount);
  if (gDialogFocusItem == uint32_t(kControllerField) && gCurrentNibDialog)
    SetDialogRadioGroup(gCurrentNibDialog->window, kTargetFirst, kTargetLast, kTargetFirst + kTargetControllerN);
}

// --- "pb" -----------------------------------------------------------------------------

constexpr int16_t kPitchBendHelp = 516;
constexpr int32_t kBendOperationFirst = 3, kBendOperationLast = 6;
constexpr int32_t kBendRangeField = 12;
constexpr int32_t kStoreRangeBox = 13;
constexpr int32_t kBendArrows = 14;

int32_t gBendRange = 2;  // what the dialog shows, in semitones
TransformField gBendFields[] = {
    {7, -200, 200, &gValueSetValue},  {8, -200, 200, &gValueAddAmount}, {9, 0, 5000, &gValuePercent},
    {10, -200, 200, &gValueRampStart}, {11, -200, 200, &gValueRampEnd},  {kBendRangeField, 1, 48, &gBendRange},
};
constexpr int32_t kBendFieldCount = 6;
constexpr OperationFields kBendOperationFields[] = {{0, 1}, {1, 1}, {2, 1}, {3, 2}};

void SetBendFieldRanges(int32_t semitones) {
  for (TransformField& f : gBendFields)
    if (f.id != 9 && f.id != kBendRangeField) f.min = -(f.max = semitones * 100);
}

int32_t OperationOfBendField(UInt32 id) { return id <= 9 ? int32_t(id) - 7 : 3; }

// The bend range of the current track: its instrument's when it plays one of the table, else
// the global one.
void StoreBendRange(int32_t semitones) {
  uint8_t range = uint8_t(std::clamp(semitones, 1, 48));
  uint8_t* record = GetTrackInstrumentOrNone() >= 0 ? GetInstrumentRecord(gCurrentInstrument) : nullptr;
  if (record) record[kInstBendRange] = range;
  else gDefaultBendRange = range;
}

bool ConfirmBendDialog(WindowRef w) {
  BeginTransformConfirm();
  gBendRange = std::clamp(GetDialogNumber(w, kBendRangeField), 1, 48);
  SetBendFieldRanges(gBendRange);
  uint8_t operation = uint8_t(GetDialogRadioChoice(w, kBendOperationFirst, 4));
  const OperationFields& f = kBendOperationFields[operation];
  if (!ReadTransformFields(w, gBendFields + f.first, f.count)) return false;
  gValueOperation = operation;
  if (GetDialogViewValue(w, kStoreRangeBox)) StoreBendRange(gBendRange);
  return true;
}

OSStatus HandleBendEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformValidates, &command);
  if (result != kTransformCommandPending) return result;
  WindowRef w = d->base.window;
  if (command == kHICommandOK) {
    ConfirmBendDialog(w);
    return EndTransformConfirm(d);
  }
  if (command == kHICommandCancel) return EndTransformDialog(d);
  if (command == UInt32(kBendRangeField)) {
    gDialogFocusItem = command;
    return noErr;
  }
  if (FocusTransformField(command, gBendFields, kBendFieldCount)) {
    SetDialogRadioGroup(w, kBendOperationFirst, kBendOperationLast, kBendOperationFirst + OperationOfBendField(command));
    return noErr;
  }
  if (command >= UInt32(kBendOperationFirst) && command <= UInt32(kBendOperationLast))
    return SetDialogRadioGroupFromRange(w, kBendOperationFirst, kBendOperationLast), noErr;
  if (command == UInt32(kStoreRangeBox)) return noErr;
  return eventNotHandledErr;
}

void StepBendArrows(ControlRef control, ControlPartCode part) {
  StepTransformArrowField(control, part, gBendFields, kBendFieldCount);
}

}  // namespace

void SetRunFromControllerTarget(uint8_t target, int32_t controller) {
  gControllerEditState.runKind = target == kTargetChannelPressure ? kRunChannelPressure : kRunController;
  gControllerEditState.runController = uint8_t(target == kTargetControllerN ? ClampToMidi(controller) : 1);
}

bool IsOpenedFromDataLane() { return IsEditorWindowInFront() && !IsNoteOrDrumView(); }

uint8_t GetLaneStartTarget(int32_t lane, int32_t controller, uint8_t remembered) {
  if (lane == kLaneChannelPressure) return kTargetChannelPressure;
  if (lane == kLaneController) return controller == 1 ? kTargetModulation : kTargetControllerN;
  return remembered;
}

void OpenControllerValueDialog() {
  gControllerEditState.fromDataLane = IsOpenedFromDataLane() ? 1 : 0;
  int32_t lane = GetLaneViewIndex();
  if (gControllerEditState.fromDataLane && lane > kLaneTempo) return OpenAutomationValueDialog(lane);
  if (!RequireTimeSelection()) return;
  TransformDialog d;
  if (CreateTransformDialog("conmidi", &d, HandleControllerEvent, kControllerHelp) == noErr) {
    uint8_t target = gControllerTarget & 3;
    if (gControllerEditState.fromDataLane) target = GetLaneStartTarget(lane, gLaneController, target);
    ShowTransformFields(&d, kControllerFields, kControllerFieldCount);
    if (gControllerEditState.fromDataLane && lane == kLaneController)
      SetDialogFieldNumber(&d.base, ClampToMidi(gLaneController), kControllerField);
    SetDialogRadioGroup(d.base.window, kTargetFirst, kTargetLast, kTargetFirst + target);
    SetDialogRadioGroup(d.base.window, kOperationFirst, kOperationLast, kOperationFirst + (gValueOperation & 3));
    InstallTransformArrows(&d, kControllerArrows, StepControllerArrows);
    if (RunTransformDialog(&d, kControllerField)) {
      FillEditState(GetCurrentPitchBendRange() * 100);
      SetRunFromControllerTarget(gControllerTarget, gTransformController);
      ApplyControllerValueEdit(kUndoKindControllerValues);
    }
  }
  DisposeNibDialog(&d.base);
}

void OpenPitchBendDialog() {
  if (!RequireTimeSelection()) return;
  TransformDialog d;
  if (CreateTransformDialog("pb", &d, HandleBendEvent, kPitchBendHelp) == noErr) {
    gBendRange = std::clamp(GetCurrentPitchBendRange(), 1, 48);
    SetBendFieldRanges(gBendRange);
    ShowTransformFields(&d, gBendFields, kBendFieldCount);
    SetDialogRadioGroup(d.base.window, kBendOperationFirst, kBendOperationLast, kBendOperationFirst + (gValueOperation & 3));
    InstallTransformArrows(&d, kBendArrows, StepBendArrows);
    if (RunTransformDialog(&d, 7)) {
      FillEditState(gBendRange * 100);
      gControllerEditState.runKind = kRunPitchBend;
      ApplyControllerValueEdit(kUndoKindPitchBendValues);
    }
  }
  DisposeNibDialog(&d.base);
}
