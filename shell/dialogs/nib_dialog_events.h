// The Carbon event side of nib dialogs: the common first step of every dialog's window
// handler, the handler hooked on text fields (focus changes become commands), and the cursor
// over the dialog's controls.
#pragma once

#include <cstdint>

#include "shell/dialogs/nib_dialog.h"

// Clears the record's command, then: the wheel goes to the application handler; a cursor
// change sets the cursor (0); commands are read into the record with their low 16 bits in
// gDialogItemHit, 'HELP' opens the dialog's help topic (0), 'ok  ' and 'not!' end the modal
// loop when endOnOkCancel is set and are still answered eventNotHandledErr, so that the
// dialog's handler sees them. A null dialog or a command event of another kind: paramErr.
OSStatus HandleNibDialogEvent(EventHandlerCallRef callRef, EventRef event, NibDialog* dialog,
                              int32_t endOnOkCancel);
// A window handler for dialogs with nothing of their own: 0 for 'ok  ' and 'not!'.
OSStatus HandleDialogOkCancel(EventRef event);

// The handler of hooked fields (user data: the NibDialog). A focus change to a field makes it
// gDialogFocusItem and, when it changed, sends its id as a command; a click on static text
// sends the text's command. Otherwise eventNotHandledErr, so that the standard handling runs.
OSStatus HandleDialogControlEvent(EventHandlerCallRef callRef, EventRef event, void* dialog);
OSStatus InstallDialogFieldHandler(ControlRef control, EventHandlerUPP handler, int slot,
                                   NibDialog* dialog);
// Commits a pending number-field entry, then makes id the focus item; true when it changed.
bool SetDialogFocusId(NibDialog* dialog, int32_t id);

// The mouse wheel while a nib dialog with a live action runs: the action gets command 601 for
// a delta of 0 or more, 600 below (the arrows' up and down). True when a dialog took it.
bool ServeNibDialogWheel(int32_t delta);

void HandleNibDialogCursorEvent(EventRef event);
// Over a control of the front window: the control's own cursor, else the I-beam for controls
// that take the focus; elsewhere the arrow. point is global unless isLocal.
void UpdateDialogCursor(WindowRef window, Point point, UInt32 modifiers, bool isLocal);
void TrackNibDialogCursor(NibDialog* dialog);
// Idle step of dialogs with note fields: the cursor, then a note played on the MIDI input is
// written into the focus field by name.
void NibDialogNoteInputIdle(NibDialog* dialog);
