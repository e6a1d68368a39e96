// The shared frame of the transform dialogs: the dialog record's life, field tables, arrows and
// the apply step over the time selection.
#include "editing/transforms/transform_frame.h"

#include <algorithm>

#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "shell/base/busy_cursor.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/sequence_references.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_iterators.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

OSStatus CreateTransformDialog(const char* nibName, TransformDialog* dialog,
                               EventHandlerProcPtr handler, int16_t helpTopic) {
  dialog->settings = nullptr;
  dialog->appliesItself = 0;
  dialog->applied = 0;
  OSStatus err = CreateNibDialog(nibName, &dialog->base, handler, helpTopic);
  if (err == noErr) NewNibDialogEventUPP(&dialog->base);
  return err;
}

bool RunTransformDialog(TransformDialog* dialog, int32_t focusId) {
  gDialogFocusItem = uint32_t(focusId);
  return RunNibDialogModal(&dialog->base, focusId, TrackNibDialogCursor) == 1;
}

void InstallTransformArrows(TransformDialog* dialog, int32_t arrowsId, ControlActionUPP action) {
  ControlRef arrows = nullptr;
  if (FindDialogView(dialog->base.window, arrowsId, &arrows) == noErr)
    SetDialogControlAction(&dialog->base, arrows, action);
}

OSStatus BeginTransformEvent(EventHandlerCallRef callRef, EventRef event, TransformDialog* dialog,
                             int32_t quitFlag, UInt32* command) {
  OSStatus result = HandleNibDialogEvent(callRef, event, &dialog->base, quitFlag);
  if (result == paramErr) return eventNotHandledErr;
  if (result != eventNotHandledErr || GetEventClass(event) != kEventClassCommand) return result;
  *command = dialog->base.command.commandID;
  return *command == 0 ? eventNotHandledErr : kTransformCommandPending;
}

bool FocusTransformField(UInt32 command, const TransformField* fields, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (command == UInt32(fields[i].id)) {
      gDialogFocusItem = command;
      return true;
    }
  return false;
}

void SetDialogFlagBoxes(WindowRef window, uint8_t flags, int32_t firstBox, int32_t count) {
  for (int32_t k = 0; k < count; ++k) SetDialogViewValue(window, firstBox + k, (flags >> k) & 1);
}

uint8_t GetDialogFlagBoxes(WindowRef window, uint8_t flags, int32_t firstBox, int32_t count) {
  for (int32_t k = 0; k < count; ++k) {
    uint8_t bit = uint8_t(1u << k);
    flags = GetDialogViewValue(window, firstBox + k) ? uint8_t(flags | bit) : uint8_t(flags & ~bit);
  }
  return flags;
}

void ShowTransformFields(TransformDialog* dialog, const TransformField* fields, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    SetDialogFieldNumber(&dialog->base, *fields[i].value, fields[i].id);
}

bool ReadTransformFields(WindowRef window, const TransformField* fields, int32_t count) {
  for (int32_t i = 0; i < count && gDialogInputValid; ++i)
    GetDialogNumberInRange(window, fields[i].min, fields[i].max, fields[i].value, fields[i].id);
  return gDialogInputValid != 0;
}

void BeginTransformConfirm() { gDialogInputValid = 1; }

OSStatus EndTransformConfirm(TransformDialog* dialog) {
  if (!gDialogInputValid) return noErr;
  dialog->base.endCommand = kHICommandOK;
  QuitAppModalLoopForWindow(dialog->base.window);
  return noErr;
}

OSStatus EndTransformDialog(TransformDialog* dialog) {
  dialog->base.endCommand = kHICommandCancel;
  QuitAppModalLoopForWindow(dialog->base.window);
  return noErr;
}

void StepTransformArrowField(ControlRef control, ControlPartCode part,
                             const TransformField* fields, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (gDialogFocusItem == uint32_t(fields[i].id)) {
      SetControl32BitMinimum(control, fields[i].min);
      SetControl32BitMaximum(control, fields[i].max);
      StepDialogArrowField(control, part);
      return;
    }
}

void StepTenthsField(ControlRef control, ControlPartCode part, int32_t fieldId, int32_t min,
                     int32_t max) {
  NibDialog* dialog = static_cast<NibDialog*>(GetControlReference(control));
  int32_t delta = ArrowPartToDelta(part);
  if (!dialog || !dialog->window || delta == 0) return;
  int32_t value = GetDialogTextValue(dialog->window, fieldId);
  int32_t stepped = std::clamp(value + delta, min, max);
  if (stepped == value) return;
  SetDialogTimeText(dialog, stepped, fieldId);
  SetDialogFieldSelection(dialog->window, fieldId, 0, 32767, false);
}

bool CopyFilterTakesEvent() { return RunEventFilter(gCopyFilterProc); }

bool EditFilterTakesEvent() { return RunEventFilter(gEditFilterProc); }

int32_t WalkTransformRange(TransformEventStep step, void* arg) {
  if (!GetCurrentTrackEventList() || BeginTrackEdit() != noErr) return 0;
  LockCurrentTrackEvents();
  bool moved = false;
  const uint32_t end = gTimeSelection.end.tick;
  for (TargetCurrentTrack(); gCurrentEvent != nullptr; AdvanceEventCursor()) {
    uint32_t tick = SplitCursorEvent();
    if (tick == 0 || tick >= end) break;
    SpinBusyCursorIfDue();
    if (step(gCurrentEvent, arg) & kTransformTickMoved) moved = true;
  }
  UnlockCurrentTrackEvents();
  ShrinkCurrentTrackEvents(gRemovedEventBytes);
  if (moved) SortTrackEvents();
  EndTrackEdit();
  return 0;
}

int32_t ApplyToChildSequences(TrackCallback perTrack, void* arg) {
  SavedEventFilters filters = SaveEventFilters();
  SetDefaultEventFilters();
  int32_t result = ForEachReferencedChildInRange(perTrack, arg);
  RestoreEventFilters(filters);
  return result;
}

namespace {

struct TransformApply {
  int32_t undoKind;
  TrackCallback perTrack;
  void* arg;
};

int32_t RunOnTrackAndChildren(void* data) {
  TransformApply* apply = static_cast<TransformApply*>(data);
  apply->perTrack(apply->arg);
  ApplyToChildSequences(apply->perTrack, apply->arg);
  return 0;
}

int32_t RunTransformStep(void* data) {
  TransformApply* apply = static_cast<TransformApply*>(data);
  RunTransformInStep(apply->undoKind, apply->perTrack, apply->arg);
  return 0;
}

}  // namespace

void RunTransformInStep(int32_t undoKind, TrackCallback perTrack, void* arg) {
  TransformApply apply{undoKind, perTrack, arg};
  SetCurrentUndoKind(undoKind);
  SetSongModified();
  ForEachTrackWithEvents(RunOnTrackAndChildren, &apply);
}

bool ApplyTransformToSelection(int32_t undoKind, TrackCallback perTrack, void* arg) {
  TransformApply apply{undoKind, perTrack, arg};
  if (!RunUndoableEdit(RunTransformStep, &apply)) return false;
  RedrawAll(0);
  return true;
}
