#include "editing/transforms/transpose_dialog.h"

#include "editing/edit_commands.h"
#include "editing/transforms/note_maps.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/transform_menu.h"
#include "editing/transforms/transpose_apply.h"
#include "platform/menus/menus.h"
#include "platform/text/pascal_strings.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "shell/dialogs/note_names.h"

namespace {

constexpr int16_t kTransposeHelpTopic = 530;
constexpr MenuID kKeyMenuId = 31925;
constexpr MenuID kScaleMenuId = 31926;
const char* const kKeyNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
const int32_t kFocusByMode[4] = {kTranspTargetField, kTranspSourceField, kTranspOneNoteField, kTranspTargetField};
const int32_t kNoteFields[3] = {kTranspSourceField, kTranspTargetField, kTranspOneNoteField};

struct TransposeMenus {
  MenuRef keys = nullptr;
  MenuRef scales = nullptr;
};

MenuRef MakeMenu(MenuID id, int32_t count, const char* (*name)(int32_t)) {
  Str255 title = {0};
  MenuRef menu = NewMenu(id, title);
  for (int32_t i = 1; menu && i <= count; ++i) {
    Str255 text;
    CopyCStringToPascal(name(i), text);
    AppendMenuItemTextLiteral(menu, text);
  }
  return menu;
}

void AttachPopup(WindowRef w, int32_t id, MenuRef menu, int32_t value) {
  ControlRef c = nullptr;
  if (!menu || FindDialogView(w, id, &c) != noErr) return;
  SetControlPopupMenuHandle(c, menu);
  SetControl32BitValue(c, value);
}

TransposeMenus AttachMenus(WindowRef w) {
  TransposeMenus m;
  m.keys = MakeMenu(kKeyMenuId, 12, [](int32_t i) { return kKeyNames[i - 1]; });
  m.scales = MakeMenu(kScaleMenuId, CountScalePresets(), GetScalePresetName);
  const TransposeChoices& c = gTransposeChoices;
  AttachPopup(w, kTranspStepKeyPopup, m.keys, c.stepKey);
  AttachPopup(w, kTranspFromKeyPopup, m.keys, c.fromKey);
  AttachPopup(w, kTranspToKeyPopup, m.keys, c.toKey);
  AttachPopup(w, kTranspFromScalePopup, m.scales, c.fromScale);
  AttachPopup(w, kTranspToScalePopup, m.scales, c.toScale);
  AttachPopup(w, kTranspStepScalePopup, m.scales, c.stepScale);
  return m;
}

void DisposeMenus(const TransposeMenus& m) {
  if (m.keys) DeleteMenu(kKeyMenuId), DisposeMenu(m.keys);
  if (m.scales) DeleteMenu(kScaleMenuId), DisposeMenu(m.scales);
}

void StepTransposeArrows(ControlRef control, ControlPartCode part) {
  auto* dialog = static_cast<NibDialog*>(GetControlReference(control));
  for (int32_t id : kNoteFields)
    if (dialog && gDialogFocusItem == uint32_t(id)) StepDialogMidiValue(dialog, id, part, false);
}

OSStatus HandleTransposeEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  for (int32_t id : kNoteFields)
    if (command == UInt32(id)) {
      gDialogFocusItem = command;
      return noErr;
    }
  if (command >= UInt32(kTranspStepsRadio) && command <= UInt32(kTranspKeepRadio)) {
    SetDialogRadioGroup(d->base.window, kTranspStepsRadio, kTranspKeepRadio, int32_t(command));
    return noErr;
  }
  return eventNotHandledErr;
}

// A note field's value; the remembered one when the text names no note.
uint8_t ReadNoteField(WindowRef w, int32_t id, uint8_t old) {
  int32_t note = GetDialogNoteValue(w, id);
  return note == kNoNote ? old : uint8_t(note < 0 ? 0 : note > 127 ? 127 : note);
}

uint8_t PopupChoice(WindowRef w, int32_t id, uint8_t old) {
  int32_t v = GetDialogViewValue(w, id);
  return v >= 1 && v <= 255 ? uint8_t(v) : old;
}

void ReadSettings(WindowRef w) {
  RepeatTransposition& t = gRepeatTransposition;
  int32_t mode = GetDialogRadioChoice(w, kTranspStepsRadio, 4);
  uint16_t flags = uint16_t(t.flags & ~(kTransposeModeMask | kTransposeOneNote | kTransposeSnapBox | kTransposeSnapToScale));
  flags |= uint16_t(mode);
  if (mode == kNoteMapOneNote) flags |= kTransposeOneNote;
  if (GetDialogViewValue(w, kTranspSnapBox)) flags |= kTransposeSnapBox | kTransposeSnapToScale;
  t.flags = flags;
  t.sourceNote = ReadNoteField(w, kTranspSourceField, t.sourceNote);
  t.targetNote = ReadNoteField(w, mode == kNoteMapOneNote ? kTranspOneNoteField : kTranspTargetField, t.targetNote);
  TransposeChoices& c = gTransposeChoices;
  c.stepKey = PopupChoice(w, kTranspStepKeyPopup, c.stepKey);
  c.fromKey = PopupChoice(w, kTranspFromKeyPopup, c.fromKey);
  c.toKey = PopupChoice(w, kTranspToKeyPopup, c.toKey);
  c.fromScale = PopupChoice(w, kTranspFromScalePopup, c.fromScale);
  c.toScale = PopupChoice(w, kTranspToScalePopup, c.toScale);
  c.stepScale = PopupChoice(w, kTranspStepScalePopup, c.stepScale);
}

void FillFields(TransformDialog* d) {
  const RepeatTransposition& t = gRepeatTransposition;
  WindowRef w = d->base.window;
  SetDialogRadioGroup(w, kTranspStepsRadio, kTranspKeepRadio, kTranspStepsRadio + (t.flags & kTransposeModeMask));
  SetDialogViewValue(w, kTranspSnapBox, (t.flags & kTransposeSnapBox) ? 1 : 0);
  SetDialogNoteName(&d->base, t.sourceNote, kTranspSourceField);
  SetDialogNoteName(&d->base, t.targetNote, kTranspTargetField);
  SetDialogNoteName(&d->base, t.targetNote, kTranspOneNoteField);
}

}  // namespace

void BuildNoteMapFromSettings() {
  const RepeatTransposition& t = gRepeatTransposition;
  const TransposeChoices& c = gTransposeChoices;
  int32_t mode = t.flags & kTransposeModeMask;
  ScaleSteps from = mode == kNoteMapScaleSteps ? LoadScaleSteps(c.stepScale, c.stepKey - 1) : LoadScaleSteps(c.fromScale, c.fromKey - 1);
  ScaleSteps to = LoadScaleSteps(c.toScale, c.toKey - 1);
  BuildNoteMap(gNoteMap, mode, t.sourceNote, t.targetNote, from, to);
}

void OpenTransposeDialog() {
  if (!RequireTimeSelection()) return;
  TransformDialog d;
  TransposeMenus menus;
  if (CreateTransformDialog("transp", &d, HandleTransposeEvent, kTransposeHelpTopic) == noErr) {
    FillFields(&d);
    menus = AttachMenus(d.base.window);
    InstallTransformArrows(&d, kTranspArrows, StepTransposeArrows);
    if (RunTransformDialog(&d, kFocusByMode[gRepeatTransposition.flags & kTransposeModeMask])) {
      ReadSettings(d.base.window);
      BuildNoteMapFromSettings();
      ApplyTranspose();
      // The snap to the scale lasts for the apply only.
      gRepeatTransposition.flags &= uint16_t(~kTransposeSnapToScale);
    }
  }
  DisposeNibDialog(&d.base);
  DisposeMenus(menus);
}
