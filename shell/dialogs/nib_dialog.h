// Modal dialogs made from nib windows. Every such dialog's own record begins with a NibDialog,
// which owns the window, the nib reference and the event handlers; the handlers receive the
// whole record as their user data. CreateNibDialog makes the window (hidden), RunNibDialogModal
// shows it and runs the app-modal loop until 'ok  ' or 'not!' ends it, and DisposeNibDialog,
// always called (also after a failed create), frees everything.
//
// The dialogs share the classic toolkit's globals (shell/dialogs/dialog_state.h): the low 16 bits of
// every command land in gDialogItemHit, gDialogFocusItem is the field the arrows step,
// gDialogBusy is set while the loop runs. Main thread only.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"
#include "platform/events/carbon_events.h"
#include "platform/nib/nib_windows.h"
#include "platform/windows/windows.h"

constexpr int kMaxHookedFields = 64;
constexpr int kNibDialogUserBlockSize = 40;

// Command ids of the toolkit.
constexpr UInt32 kNibHelpCommand = FourCC("HELP");
constexpr UInt32 kArrowDownCommand = 600;
constexpr UInt32 kArrowUpCommand = 601;
// The window event asking which cursor to show.
constexpr UInt32 kEventWindowCursorChange = 40;

struct NibDialog;
using NibDialogIdleProc = void (*)(NibDialog* dialog);

struct NibDialog {
  NibDialog* previous;            // gCurrentNibDialog before this one ran; restored at disposal
  WindowRef window;
  IBNibRef nibRef;
  EventHandlerUPP windowHandlerUPP;
  EventHandlerRef windowHandlerRef;
  EventHandlerUPP fieldHandlerUPP;   // HandleDialogControlEvent once NewNibDialogEventUPP ran
  EventHandlerRef extraHandlerRef;   // a further handler the dialog installs itself
  ControlKeyFilterUPP keyFilterUPP;  // given to every hooked field as its 'fltr' data
  int16_t fieldIds[kMaxHookedFields];
  EventHandlerRef fieldHandlerRefs[kMaxHookedFields];
  uint8_t userBlock[kNibDialogUserBlockSize];
  int16_t helpId;
  uint8_t fieldCount;
  HICommand command;               // the last command; its id is cleared at every event
  NibDialogIdleProc idleProc;      // called by the idle timer while this dialog is current
  ControlRef actionControl;
  ControlActionUPP actionUPP;
  UInt32 endCommand;               // the command that ended the last modal loop
};

// The running dialog (a stack through the records' previous fields), or null.
extern NibDialog* gCurrentNibDialog;
// Cleared by GetDialogNumberInRange at the first field out of range (one error per chain).
extern uint8_t gDialogInputValid;
// Index 0..17 into the note-length table, stepped by StepDialogIndexField.
extern uint32_t gStepNoteValueIndex;

// Zeroes the record, makes the window of the nib `name` (nib and window share the name) and
// installs handlerProc on it for commands, the mouse wheel and cursor changes. A missing nib
// or window gives -192, success without a window -50; every error is reported and returned,
// and the caller then only disposes the record.
OSStatus CreateNibDialog(const char* name, NibDialog* dialog, EventHandlerProcPtr handlerProc,
                         int16_t helpId);
// From now on SetDialogFieldText hooks each field it writes to HandleDialogControlEvent.
void NewNibDialogEventUPP(NibDialog* dialog);
// Shows the window, selects the field focusId (when > 0 and present) and runs the modal loop:
// 1 when 'ok  ' ended it, 0 otherwise, -50 without a window.
int32_t RunNibDialogModal(NibDialog* dialog, int32_t focusId, NibDialogIdleProc idleProc);
// gDialogBusy set around RunAppModalLoopForWindow.
OSStatus RunAppModalLoopBusy(WindowRef window);
void DisposeNibDialog(NibDialog* dialog);
// The idle timer's step while a nib dialog is current: its idle procedure runs. True when a
// dialog is current (the timer's own idle work is then skipped).
bool ServeNibDialogIdle();
