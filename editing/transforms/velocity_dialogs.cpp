// The "vel", "lim" and "thin" dialogs. They never refuse a confirm: typed numbers are clamped.
#include <algorithm>

#include "editing/edit_commands.h"
#include "editing/transforms/limit_transform.h"
#include "editing/transforms/thin_transform.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/value_dialogs.h"
#include "editing/transforms/value_settings.h"
#include "editing/transforms/velocity_transform.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"

namespace {

int32_t ReadClamped(WindowRef w, int32_t id, int32_t lo, int32_t hi) {
  return std::clamp(GetDialogNumber(w, id), lo, hi);
}

// --- "vel" -------------------------------------------------------------------------

constexpr int16_t kVelocityHelp = 511;
constexpr int32_t kVelTargetFirst = 3, kVelTargetLast = 4;
constexpr int32_t kVelModeFirst = 5, kVelModeLast = 9;
constexpr int32_t kVelArrows = 19;
constexpr int32_t kVelChangeTopBit = 21;
constexpr int32_t kVelTopBitFirst = 22, kVelTopBitLast = 23;

int32_t gVelocityFields[7];  // what the dialog shows, 10..16

const TransformField kVelocityFields[] = {
    {10, 0, 127, &gVelocityFields[0]},  {11, -127, 127, &gVelocityFields[1]}, {12, 0, 5000, &gVelocityFields[2]},
    {13, 0, 127, &gVelocityFields[3]},  {14, 0, 127, &gVelocityFields[4]},    {15, 0, 5000, &gVelocityFields[5]},
    {16, 0, 5000, &gVelocityFields[6]},
};
constexpr int32_t kVelocityFieldCount = 7;

// The mode radio of a value field: 10 set, 11 add, 12 percent, 13/14 ramp, 15/16 percent ramp.
int32_t ModeOfField(int32_t id) { return id <= 12 ? id - 10 : id <= 14 ? 3 : 4; }

void ShowVelocitySettings(TransformDialog* d) {
  int32_t values[] = {gValueSetValue, gValueAddAmount, gValuePercent, gValueRampStart,
                      gValueRampEnd,  gVelocityPercentFrom, gVelocityPercentTo};
  std::copy(values, values + kVelocityFieldCount, gVelocityFields);
  ShowTransformFields(d, kVelocityFields, kVelocityFieldCount);
  WindowRef w = d->base.window;
  SetDialogRadioGroup(w, kVelTargetFirst, kVelTargetLast, (gVelocityFlags & kVelocityRelease) ? 4 : 3);
  SetDialogRadioGroup(w, kVelModeFirst, kVelModeLast, kVelModeFirst + (gVelocityFlags & kVelocityModeMask));
  SetDialogCheckBox(w, kVelChangeTopBit, gVelocityFlags & kVelocityChangeTopBit);
  SetDialogRadioGroup(w, kVelTopBitFirst, kVelTopBitLast, (gVelocityFlags & kVelocityTopBitSet) ? 23 : 22);
}

void StoreVelocitySettings(WindowRef w) {
  int32_t* targets[] = {&gValueSetValue, &gValueAddAmount, &gValuePercent, &gValueRampStart,
                        &gValueRampEnd,  &gVelocityPercentFrom, &gVelocityPercentTo};
  for (int32_t i = 0; i < kVelocityFieldCount; ++i)
    *targets[i] = ReadClamped(w, kVelocityFields[i].id, kVelocityFields[i].min, kVelocityFields[i].max);
  uint8_t flags = uint8_t(GetDialogRadioChoice(w, kVelModeFirst, 5) & kVelocityModeMask);
  if (GetDialogViewValue(w, 4)) flags |= kVelocityRelease;
  if (GetDialogViewValue(w, kVelChangeTopBit)) flags |= kVelocityChangeTopBit;
  if (GetDialogViewValue(w, kVelTopBitLast)) flags |= kVelocityTopBitSet;
  gVelocityFlags = flags;
}

OSStatus HandleVelocityEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  WindowRef w = d->base.window;
  if (command == kHICommandOK) {
    StoreVelocitySettings(w);
    return noErr;
  }
  if (FocusTransformField(command, kVelocityFields, kVelocityFieldCount)) {
    SetDialogRadioGroup(w, kVelModeFirst, kVelModeLast, kVelModeFirst + ModeOfField(int32_t(command)));
    return noErr;
  }
  if (command >= UInt32(kVelTargetFirst) && command <= UInt32(kVelTopBitLast) && command != UInt32(kVelChangeTopBit)) {
    if (command <= UInt32(kVelTargetLast)) SetDialogRadioGroupFromRange(w, kVelTargetFirst, kVelTargetLast);
    else if (command <= UInt32(kVelModeLast)) SetDialogRadioGroupFromRange(w, kVelModeFirst, kVelModeLast);
    else if (command >= UInt32(kVelTopBitFirst)) SetDialogRadioGroupFromRange(w, kVelTopBitFirst, kVelTopBitLast);
    return noErr;
  }
  return eventNotHandledErr;
}

void StepVelocityArrows(ControlRef control, ControlPartCode part) {
  StepTransformArrowField(control, part, kVelocityFields, kVelocityFieldCount);
}

// --- "lim" and "thin": the controller number N -------------------------------------

// The typed N is used for the run only; the remembered one comes back afterwards.
template <typename Apply>
void RunWithTypedController(int32_t typed, Apply apply) {
  int32_t remembered = gTransformController;
  gTransformController = typed;
  apply();
  gTransformController = remembered;
}

void ShowOnlyN(WindowRef w, int32_t allId) {
  SetDialogRadioGroup(w, allId, allId + 1, OnlyControllerN() ? allId + 1 : allId);
}

void StoreOnlyN(WindowRef w, int32_t onlyId) {
  gTransformOptions = GetDialogViewValue(w, onlyId) ? uint8_t(gTransformOptions | kOnlyControllerN)
                                                     : uint8_t(gTransformOptions & ~kOnlyControllerN);
}

// --- "lim" ------------------------------------------------------------------------

constexpr int16_t kLimitHelp = 142;
int32_t gLimitFields[3];
const TransformField kLimitFields[] = {{9, 0, 127, &gLimitFields[0]}, {10, 0, 127, &gLimitFields[1]},
                                       {11, 0, 127, &gLimitFields[2]}};
int32_t gTypedController = 1;

OSStatus HandleLimitEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  WindowRef w = d->base.window;
  if (command == kHICommandOK) {
    gLimitMode = uint8_t(GetDialogRadioChoice(w, 3, 4));
    StoreOnlyN(w, 8);
    gTypedController = ReadClamped(w, 9, 0, 127);
    gLimitMinimum = ReadClamped(w, 10, 0, 127);
    gLimitMaximum = ReadClamped(w, 11, 0, 127);
    return noErr;
  }
  if (FocusTransformField(command, kLimitFields, 3)) return noErr;
  if (command >= 3 && command <= 6) return SetDialogRadioGroupFromRange(w, 3, 6), noErr;
  if (command == 7 || command == 8) return SetDialogRadioGroupFromRange(w, 7, 8), noErr;
  return eventNotHandledErr;
}

void StepLimitArrows(ControlRef control, ControlPartCode part) { StepTransformArrowField(control, part, kLimitFields, 3); }

// --- "thin" -----------------------------------------------------------------------

constexpr int16_t kThinHelp = 527;
int32_t gThinFields[3];
const TransformField kThinFields[] = {{11, 0, 127, &gThinFields[0]}, {12, 0, 127, &gThinFields[1]},
                                      {13, 0, 255, &gThinFields[2]}};

OSStatus HandleThinEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  WindowRef w = d->base.window;
  if (command == kHICommandOK) {
    gThinFlags = GetDialogFlagBoxes(w, gThinFlags, 3, 6);
    StoreOnlyN(w, 10);
    gTypedController = ReadClamped(w, 11, 0, 127);
    gThinMinimumChange = ReadClamped(w, 12, 0, 127);
    gThinMinimumTicks = std::clamp(GetDialogNumber(w, 13), 0, 255);
    return noErr;
  }
  if (FocusTransformField(command, kThinFields, 3)) return noErr;
  if (command == 9 || command == 10) return SetDialogRadioGroupFromRange(w, 9, 10), noErr;
  if (command >= 3 && command <= 8) return noErr;
  return eventNotHandledErr;
}

void StepThinArrows(ControlRef control, ControlPartCode part) { StepTransformArrowField(control, part, kThinFields, 3); }

}  // namespace

void OpenVelocityDialog() {
  if (!RequireTimeSelection()) return;
  TransformDialog d;
  if (CreateTransformDialog("vel", &d, HandleVelocityEvent, kVelocityHelp) == noErr) {
    ShowVelocitySettings(&d);
    InstallTransformArrows(&d, kVelArrows, StepVelocityArrows);
    if (RunTransformDialog(&d, 10)) ApplyVelocityTransform();
  }
  DisposeNibDialog(&d.base);
}

void OpenLimitDialog() {
  if (!RequireTimeSelection()) return;
  TransformDialog d;
  if (CreateTransformDialog("lim", &d, HandleLimitEvent, kLimitHelp) == noErr) {
    int32_t values[] = {gTransformController, gLimitMinimum, gLimitMaximum};
    std::copy(values, values + 3, gLimitFields);
    ShowTransformFields(&d, kLimitFields, 3);
    SetDialogRadioGroup(d.base.window, 3, 6, 3 + gLimitMode);
    ShowOnlyN(d.base.window, 7);
    InstallTransformArrows(&d, 12, StepLimitArrows);
    if (RunTransformDialog(&d, 10)) RunWithTypedController(gTypedController, ApplyLimitTransform);
  }
  DisposeNibDialog(&d.base);
}

void OpenThinDialog() {
  if (!RequireTimeSelection()) return;
  TransformDialog d;
  if (CreateTransformDialog("thin", &d, HandleThinEvent, kThinHelp) == noErr) {
    int32_t values[] = {gTransformController, gThinMinimumChange, gThinMinimumTicks};
    std::copy(values, values + 3, gThinFields);
    ShowTransformFields(&d, kThinFields, 3);
    SetDialogFlagBoxes(d.base.window, gThinFlags, 3, 6);
    ShowOnlyN(d.base.window, 9);
    InstallTransformArrows(&d, 14, StepThinArrows);
    if (RunTransformDialog(&d, 12)) RunWithTypedController(gTypedController, ApplyThinTransform);
  }
  DisposeNibDialog(&d.base);
}
