// The frame every transform dialog of the Transform and Options menus shares: the dialog record,
// filling check boxes from a remembered flags byte, the field tables that validate a confirm and
// bound the little arrows, the modal run, and the apply step that walks the time selection of
// every track in the edit scope (nested sequences included) as one undoable step.
//
// A dialog's opener, in order:
//   if (!RequireTimeSelection()) return;                  // transforms of the selection
//   TransformDialog d;
//   if (CreateTransformDialog("hum", &d, HandleHumanizeEvent, kHelpTopic) == noErr) {
//     ... fill fields (SetDialogFieldNumber, SetDialogFlagBoxes, SetDialogRadioGroup) ...
//     InstallTransformArrows(&d, kArrowsView, StepHumanizeArrows);
//     if (RunTransformDialog(&d, kFirstField)) ApplyHumanize();
//   }
//   DisposeNibDialog(&d.base);                             // in every case
// Its handler starts with BeginTransformEvent and switches on the command it hands back; on
// 'ok  ' it stores the check boxes, reads its fields with ReadTransformFields and ends the loop
// with EndTransformConfirm (which quits only when every field passed). Remembered settings are
// written only on a confirm, so Cancel never changes them.
//
// The apply step: ApplyTransformToSelection(undoKind, perTrack, arg) opens the undo step, marks
// the song modified, runs perTrack on every track with events in the edit scope and, after each
// track's own list, on the nested sequences that track plays inside the selection (with the
// filters at their defaults and the selection in the child's own time), then redraws. A per-track
// step usually is WalkTransformRange(eventStep, arg), which brackets the track edit, visits each
// event from the selection start to before its end, and sorts the list when a tick moved.
//
// The nib windows are 'NIBT' resources named after their nib, each dialog's in a resources/
// file of its own; ids 1400..1449 belong to the transform dialogs (1400..1409 humanize, durations
// and channel; 1410..1419 quantize and grooves; 1420..1429 velocity, limit, thin, controller
// values; 1430..1449 shift, nudge, transpose, note maps, event dialogs).
//
// Main thread only.
#pragma once

#include <cstdint>

#include "shell/dialogs/nib_dialog.h"
#include "song/model/utility_iteration.h"

// The dialog record of a transform dialog. settings, appliesItself and applied are the three
// dialog words: the settings record being edited, whether the dialog applies its settings
// itself (the quantize dialog applies; the input-quantize settings only edit), and whether they
// were already applied.
struct TransformDialog {
  NibDialog base;
  void* settings;
  uint8_t appliesItself;
  uint8_t applied;
};

// One number field of a dialog: its view id, its range and the remembered setting it shows.
struct TransformField {
  int16_t id;
  int32_t min;
  int32_t max;
  int32_t* value;
};

// The undo kinds of the transform dialogs (index of the Undo menu's text).
enum : int32_t {
  kUndoKindQuantize = 3,
  kUndoKindTranspose = 6,
  kUndoKindVelocity = 12,
  kUndoKindShift = 15,
  kUndoKindInvertRetrograde = 16,
  kUndoKindHumanize = 19,
  kUndoKindControllerValues = 20,
  kUndoKindPitchBendValues = 21,
  kUndoKindNoteEvent = 25,
  kUndoKindLimit = 28,
  kUndoKindThin = 29,
};
// The quit flag of BeginTransformEvent: dialogs that never refuse a confirm let 'ok  ' and
// 'not!' end the loop at once; validating dialogs decide themselves.
enum : int32_t { kTransformValidates = 0, kTransformEndsAtOnce = 1 };
// What BeginTransformEvent answers when the dialog's handler must look at the command.
constexpr OSStatus kTransformCommandPending = 1;

// CreateNibDialog on the record (the dialog words cleared) and its fields hooked, so that a
// focus change reaches the handler as the field's command. noErr or the create error (reported
// already); the caller disposes in every case.
OSStatus CreateTransformDialog(const char* nibName, TransformDialog* dialog,
                               EventHandlerProcPtr handler, int16_t helpTopic);
// Shows the dialog with the focus in focusId and runs the modal loop (cursor tracking as idle
// step); true when 'ok  ' ended it.
bool RunTransformDialog(TransformDialog* dialog, int32_t focusId);
// Finds the little arrows by view id and gives them action (the dialog as their reference).
void InstallTransformArrows(TransformDialog* dialog, int32_t arrowsId, ControlActionUPP action);

// The first step of a transform dialog's handler: HandleNibDialogEvent with quitFlag. Answers
// kTransformCommandPending with *command set for a command the dialog must handle (every
// 'cmds' event it did not finish, 'ok  ' and 'not!' included); otherwise the answer to return
// (eventNotHandledErr for what the toolkit did not take).
OSStatus BeginTransformEvent(EventHandlerCallRef callRef, EventRef event, TransformDialog* dialog,
                             int32_t quitFlag, UInt32* command);
// A command naming one of the fields makes it the focus item; true when it named one.
bool FocusTransformField(UInt32 command, const TransformField* fields, int32_t count);

// Box first + k from bit k of flags, for k in 0..count-1.
void SetDialogFlagBoxes(WindowRef window, uint8_t flags, int32_t firstBox, int32_t count);
// flags with bits 0..count-1 replaced by boxes first..first + count - 1.
uint8_t GetDialogFlagBoxes(WindowRef window, uint8_t flags, int32_t firstBox, int32_t count);
// Every field's remembered value into its view.
void ShowTransformFields(TransformDialog* dialog, const TransformField* fields, int32_t count);
// The confirm's check of fields (in the given order): each number inside its range is stored in
// its setting; the first outside shows error text 27, selects that field and focuses it, and
// later fields are not read. True when every field passed (gDialogInputValid still set). The
// caller sets gDialogInputValid = 1 before the first call of a confirm.
bool ReadTransformFields(WindowRef window, const TransformField* fields, int32_t count);
// Begins a confirm: gDialogInputValid = 1.
void BeginTransformConfirm();
// Ends the modal loop when every check of the confirm passed; answers noErr.
OSStatus EndTransformConfirm(TransformDialog* dialog);
// Ends the modal loop (Cancel); answers noErr.
OSStatus EndTransformDialog(TransformDialog* dialog);

// The arrows' step for a dialog whose focused field is one of fields: the arrows' maximum
// becomes that field's maximum (and minimum its minimum), then StepDialogArrowField.
void StepTransformArrowField(ControlRef control, ControlPartCode part,
                             const TransformField* fields, int32_t count);
// A value in tenths shown with one decimal stepped by the arrow delta within min..max.
void StepTenthsField(ControlRef control, ControlPartCode part, int32_t fieldId, int32_t min,
                     int32_t max);

// A step run for each event of the walk with gCurrentEvent on it (status split); answers
// kTransformTickMoved when it changed the event's tick.
using TransformEventStep = int32_t (*)(uint8_t* event, void* arg);
constexpr int32_t kTransformTickMoved = 1;
// True when the installed copy filter (the events the edit may touch) takes the cursor event.
bool CopyFilterTakesEvent();
// True when the installed edit filter (the notes among them) takes the cursor event.
bool EditFilterTakesEvent();

// On the current track: BeginTrackEdit, the cursor at the first event at or after the selection
// start, step on every event before the selection end (the end record never; a step may delete
// the cursor event with DeleteCursorEvent), the list shrunk by the bytes deleted, SortTrackEvents
// when a tick moved, EndTrackEdit. A track that cannot be edited is left as it is. Answers 0.
int32_t WalkTransformRange(TransformEventStep step, void* arg);
// perTrack on every track that the current track plays through sequence references inside the
// time selection, with the selection in the child's time and the filters at their defaults;
// selection, filters and context come back afterwards. Answers the last result.
int32_t ApplyToChildSequences(TrackCallback perTrack, void* arg);
// The inside of the apply step, for edits that add work of their own to the same undoable step:
// sets the step's undo kind, SetSongModified, and perTrack on every track with events in the
// edit scope, then inside its nested sequences.
void RunTransformInStep(int32_t undoKind, TrackCallback perTrack, void* arg);
// The whole apply: one undoable step of undoKind; SetSongModified; perTrack on every track with
// events in the edit scope and then inside its nested sequences; RedrawAll. True when the step
// ran; false when it could not be opened (nothing changed).
bool ApplyTransformToSelection(int32_t undoKind, TrackCallback perTrack, void* arg);
