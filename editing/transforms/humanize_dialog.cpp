// The "hum" dialog: the humanize settings edited, validated on confirm, and applied.
#include "editing/edit_commands.h"
#include "editing/transforms/humanize.h"
#include "editing/transforms/transform_frame.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"

namespace {

constexpr int16_t kHumanizeHelpTopic = 519;
constexpr int32_t kFirstBox = 3;  // boxes 3..6: flag bits 0..3
constexpr int32_t kBoxCount = 4;
constexpr int32_t kTimingTicksField = 7;
constexpr int32_t kTempoField = 12;
constexpr int32_t kArrows = 13;
constexpr int32_t kFixedRadio = 14;
constexpr int32_t kRelativeRadio = 15;
constexpr int32_t kTempoMaximum = 400;

// The remembered values being edited: a copy, so that a refused or cancelled confirm leaves
// the remembered settings as they were except for what the confirm stored.
HumanizeSettings gEdited;

const TransformField kTimingFields[] = {
    {7, 0, 9999, &gEdited.timingTicks},
    {8, 0, 200, &gEdited.timingPercent},
    {9, 0, 100, &gEdited.earlyShare},
};
const TransformField kDurationFields[] = {{10, 0, 200, &gEdited.durationPercent}};
const TransformField kVelocityFields[] = {{11, 0, 127, &gEdited.velocityRange}};
const TransformField kAllFields[] = {kTimingFields[0], kTimingFields[1], kTimingFields[2],
                                     kDurationFields[0], kVelocityFields[0]};
constexpr int32_t kAllFieldCount = 5;

void FillHumanizeDialog(TransformDialog* d) {
  WindowRef w = d->base.window;
  SetDialogFlagBoxes(w, gEdited.flags, kFirstBox, kBoxCount);
  ShowTransformFields(d, kAllFields, kAllFieldCount);
  SetDialogTimeText(&d->base, gEdited.tempoTenths, kTempoField);
  SetDialogRadioGroup(w, kFixedRadio, kRelativeRadio,
                      (gEdited.flags & kHumanizeRelativeTiming) ? kRelativeRadio : kFixedRadio);
}

// 'ok  ': the flags first, then the fields of the enabled groups in id order; the remembered
// settings take what was stored, and the loop ends only when every check passed.
OSStatus ConfirmHumanize(TransformDialog* d) {
  WindowRef w = d->base.window;
  BeginTransformConfirm();
  uint8_t flags = GetDialogFlagBoxes(w, gEdited.flags, kFirstBox, kBoxCount);
  flags = GetDialogViewValue(w, kRelativeRadio) ? uint8_t(flags | kHumanizeRelativeTiming)
                                                : uint8_t(flags & ~kHumanizeRelativeTiming);
  gEdited.flags = flags;
  if (flags & kHumanizeTiming) ReadTransformFields(w, kTimingFields, 3);
  if (flags & kHumanizeDurations) ReadTransformFields(w, kDurationFields, 1);
  if (flags & kHumanizeVelocities) ReadTransformFields(w, kVelocityFields, 1);
  if ((flags & kHumanizeTempo) && gDialogInputValid)
    gEdited.tempoTenths = GetDialogTextValue(w, kTempoField);
  gHumanizeSettings = gEdited;
  return EndTransformConfirm(d);
}

OSStatus HandleHumanizeEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  TransformDialog* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformValidates, &command);
  if (result != kTransformCommandPending) return result;
  if (FocusTransformField(command, kAllFields, kAllFieldCount) || command == UInt32(kTempoField)) {
    gDialogFocusItem = command;
    return noErr;
  }
  if (command == UInt32(kFixedRadio) || command == UInt32(kRelativeRadio)) {
    SetDialogRadioGroupFromRange(d->base.window, kFixedRadio, kRelativeRadio);
    return noErr;
  }
  if (command == kHICommandOK) return ConfirmHumanize(d);
  if (command == kHICommandCancel) return EndTransformDialog(d);
  return eventNotHandledErr;
}

void StepHumanizeArrows(ControlRef control, ControlPartCode part) {
  if (gDialogFocusItem == uint32_t(kTempoField))
    StepTenthsField(control, part, kTempoField, 0, kTempoMaximum);
  else
    StepTransformArrowField(control, part, kAllFields, kAllFieldCount);
}

}  // namespace

void OpenHumanizeDialog() {
  if (!RequireTimeSelection()) return;
  TransformDialog d;
  gEdited = gHumanizeSettings;
  if (CreateTransformDialog("hum", &d, HandleHumanizeEvent, kHumanizeHelpTopic) == noErr) {
    FillHumanizeDialog(&d);
    InstallTransformArrows(&d, kArrows, StepHumanizeArrows);
    if (RunTransformDialog(&d, kTimingTicksField)) ApplyHumanize(gHumanizeSettings);
  }
  DisposeNibDialog(&d.base);
}
