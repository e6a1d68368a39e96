// Little arrows beside nib dialog fields: the step procedures that the arrows' live action
// calls while they are held, and attaching such an action to a control.
#pragma once

#include <cstdint>

#include "shell/dialogs/nib_dialog.h"

// +1 for the up arrow (and command 601), -1 for the down arrow (and command 600), else 0.
int32_t ArrowPartToDelta(int32_t part);
// Action of arrows whose control reference is the NibDialog: the focus field's number moves by
// the delta within the arrows' minimum and maximum; a change is written back and selected.
void StepDialogArrowField(ControlRef control, ControlPartCode part);
// The same on a 64-bit field within min..max; with max 0x7fffffff the field steps on past
// the 32-bit range.
void StepDialogArrowField64(ControlRef control, ControlPartCode part, int32_t min, int32_t max,
                            int32_t fieldId);
// Steps gStepNoteValueIndex (0..17; the up arrow moves to shorter notes at lower indexes)
// and shows the note length in ticks in fieldId; viewId is redrawn.
void StepDialogIndexField(ControlRef control, ControlPartCode part, int32_t fieldId,
                          int32_t viewId);
// A note field stepped within 0..127 and written as a note name (with asKeyName, as the key
// dialog's pitch name).
void StepDialogMidiValue(NibDialog* dialog, int32_t fieldId, int32_t part, bool asKeyName);
// Makes the record the control's reference and actionUPP its live action (disposed with the
// dialog).
void SetDialogControlAction(NibDialog* dialog, ControlRef control, ControlActionUPP actionUPP);
