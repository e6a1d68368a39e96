#include "editing/transforms/shift_dialogs.h"

#include <algorithm>
#include <cstdlib>

#include "editing/edit_commands.h"
#include "editing/nudge_amount.h"
#include "editing/transforms/shift_apply.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/transform_menu.h"
#include "editors/key_commands.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"

namespace {

constexpr int16_t kShiftHelpTopic = 509;
constexpr int16_t kNudgeHelpTopic = 544;
constexpr int32_t kMaxShiftBars = 9999;

// The limits of the arrows (the values themselves are read on OK).
int32_t gShiftFieldValues[3];
TransformField gShiftFields[3] = {
    {kShiftBarField, 0, kMaxShiftBars, &gShiftFieldValues[0]},
    {kShiftBeatField, 0, 8, &gShiftFieldValues[1]},
    {kShiftTickField, 0, 480, &gShiftFieldValues[2]},
};

void SetShiftLimits() {
  GetConductorStateAt(1);
  gShiftFields[1].max = 2 * gConductorState.beatsPerBar;
  gShiftFields[2].max = gConductorState.ticksPerBeat;
}

void StepShiftArrows(ControlRef control, ControlPartCode part) { StepTransformArrowField(control, part, gShiftFields, 3); }

OSStatus HandleShiftEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  if (FocusTransformField(command, gShiftFields, 3)) return noErr;
  if (command == UInt32(kShiftForwardRadio) || command == UInt32(kShiftBackwardRadio)) {
    SetDialogRadioGroup(d->base.window, kShiftForwardRadio, kShiftBackwardRadio, int32_t(command));
    return noErr;
  }
  return eventNotHandledErr;
}

int32_t gNudgeFieldValues[2];
TransformField gNudgeFields[2] = {
    {kNudgeAmountField, 0, 480, &gNudgeFieldValues[0]},
    {kNudgeKeyStepField, 0, 127, &gNudgeFieldValues[1]},
};

void StepNudgeArrows(ControlRef control, ControlPartCode part) {
  auto* dialog = static_cast<NibDialog*>(GetControlReference(control));
  ControlRef amountArrows = nullptr;
  if (dialog) FindDialogView(dialog->window, kNudgeAmountArrows, &amountArrows);
  gDialogFocusItem = control == amountArrows ? kNudgeAmountField : kNudgeKeyStepField;
  StepTransformArrowField(control, part, gNudgeFields, 2);
}

OSStatus HandleNudgeAmountTyped(EventHandlerCallRef, EventRef, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  SetDialogRadioGroup(d->base.window, kNudgeTicksRadio, kNudgePixelRadio, kNudgeTicksRadio);
  return eventNotHandledErr;
}

OSStatus HandleNudgeEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  if (FocusTransformField(command, gNudgeFields, 2)) return noErr;
  if (command == UInt32(kNudgeTicksRadio) || command == UInt32(kNudgePixelRadio)) {
    SetDialogRadioGroup(d->base.window, kNudgeTicksRadio, kNudgePixelRadio, int32_t(command));
    return noErr;
  }
  return eventNotHandledErr;
}

void InstallTypingWatch(TransformDialog* d) {
  ControlRef field = nullptr;
  if (FindDialogView(d->base.window, kNudgeAmountField, &field) != noErr) return;
  static const EventTypeSpec kTextChanged[] = {{kEventClassTextField, kEventTextDidChange}};
  InstallEventHandler(GetControlEventTarget(field), NewEventHandlerUPP(HandleNudgeAmountTyped), 1, kTextChanged, d,
                      &d->base.extraHandlerRef);
}

}  // namespace

void SplitShiftAmount(int32_t amount, int32_t* bar, int32_t* beat, int32_t* tick) {
  int64_t length = std::llabs(int64_t(amount)) + 1;
  TickToBarBeatTick(int32_t(std::min<int64_t>(length, INT32_MAX)), bar, beat, tick);
}

int32_t ShiftAmountFromFields(int32_t bar, int32_t beat, int32_t tick, bool backward) {
  int32_t amount = BarBeatTickToTick(bar, beat, tick) - 1;
  return backward ? -amount : amount;
}

void OpenShiftDialog() {
  if (!RequireTimeSelection()) return;
  TransformDialog d;
  if (CreateTransformDialog("shift", &d, HandleShiftEvent, kShiftHelpTopic) == noErr) {
    SetShiftLimits();
    int32_t bar = 0, beat = 0, tick = 0;
    SplitShiftAmount(gLastShiftAmount, &bar, &beat, &tick);
    SetDialogFieldNumber(&d.base, bar, kShiftBarField);
    SetDialogFieldNumber(&d.base, beat, kShiftBeatField);
    SetDialogFieldNumber(&d.base, tick, kShiftTickField);
    SetDialogRadioGroup(d.base.window, kShiftForwardRadio, kShiftBackwardRadio,
                        gLastShiftAmount < 0 ? kShiftBackwardRadio : kShiftForwardRadio);
    InstallTransformArrows(&d, kShiftArrows, StepShiftArrows);
    if (RunTransformDialog(&d, kShiftBarField)) {
      WindowRef w = d.base.window;
      bool backward = GetDialogViewValue(w, kShiftBackwardRadio) != 0;
      gLastShiftAmount = ShiftAmountFromFields(GetDialogNumber(w, kShiftBarField), GetDialogNumber(w, kShiftBeatField),
                                               GetDialogNumber(w, kShiftTickField), backward);
      ShiftRequest request;
      request.ticks = gLastShiftAmount;
      ApplyShift(request);
    }
  }
  DisposeNibDialog(&d.base);
}

void RunNudgeDialog() {
  TransformDialog d;
  if (CreateTransformDialog("nudge", &d, HandleNudgeEvent, kNudgeHelpTopic) == noErr) {
    gNudgeFields[0].max = gTicksPerQuarter > 0 ? gTicksPerQuarter : 480;
    bool pixel = (gNudgeWord & kNudgeOnePixel) || gNudgeWord == 0;
    SetDialogFieldNumber(&d.base, int32_t(gNudgeWord & ~kNudgeOnePixel), kNudgeAmountField);
    SetDialogFieldNumber(&d.base, gVelocityStep, kNudgeKeyStepField);
    SetDialogRadioGroup(d.base.window, kNudgeTicksRadio, kNudgePixelRadio, pixel ? kNudgePixelRadio : kNudgeTicksRadio);
    InstallTransformArrows(&d, kNudgeAmountArrows, StepNudgeArrows);
    InstallTransformArrows(&d, kNudgeKeyStepArrows, StepNudgeArrows);
    InstallTypingWatch(&d);
    if (RunTransformDialog(&d, kNudgeAmountField)) {
      WindowRef w = d.base.window;
      uint32_t amount = uint32_t(std::max(0, GetDialogNumber(w, kNudgeAmountField))) & ~kNudgeOnePixel;
      gNudgeWord = amount | (GetDialogViewValue(w, kNudgePixelRadio) ? kNudgeOnePixel : 0);
      gVelocityStep = uint8_t(std::clamp(GetDialogNumber(w, kNudgeKeyStepField), 0, 127));
    }
  }
  DisposeNibDialog(&d.base);
}
