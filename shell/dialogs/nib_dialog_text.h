// Texts and numbers of nib dialog fields. Texts are length-prefixed Mac Roman strings; reads
// land in gStringBuffer. The "window" forms only write; the "field" forms (taking the
// NibDialog) also hook the field once NewNibDialogEventUPP ran, so that focus changes reach
// the dialog as commands.
#pragma once

#include <cstdint>

#include "shell/dialogs/nib_dialog.h"

// The text into control id; answers the control (null when not found). A null text only
// finds the control.
ControlRef SetDialogText(WindowRef window, ConstStr255Param text, int32_t id);
// SetDialogText, then the field is hooked (once) when the record has a field handler. At most
// kMaxHookedFields fields are hooked; further fields keep their text and stay unhooked.
ControlRef SetDialogFieldText(NibDialog* dialog, ConstStr255Param text, int32_t id);
// True when field id is hooked to the record's field handler.
bool IsDialogFieldHooked(const NibDialog* dialog, int32_t id);

// The control's text (at most 255 characters) into gStringBuffer, emptied first.
OSStatus CopyControlTextToBuffer(ControlRef control);
// Finds the field and copies its text; an error is reported and the text reads as empty.
OSStatus GetDialogText(WindowRef window, int32_t id);

// Reading a field: 0 when it cannot be read.
int32_t GetDialogNumber(WindowRef window, int32_t id);
int64_t GetDialogNumber64(WindowRef window, int32_t id);
int32_t GetDialogTextValue(WindowRef window, int32_t id);  // the number times ten
double GetDialogDouble(WindowRef window, int32_t id);
// A note name or a number (kNoNote when it is neither).
int32_t GetDialogNoteValue(WindowRef window, int32_t id);
// The key code spelled from the note typed (typed accidentals counted afresh).
uint8_t GetDialogPitchSpelling(WindowRef window, int32_t id);

void SetDialogNumber(WindowRef window, int32_t n, int32_t id);
void SetDialogFieldNumber(NibDialog* dialog, int32_t n, int32_t id);
void SetDialogNumber64(WindowRef window, int64_t n, int32_t id);
void SetDialogFieldNumber64(NibDialog* dialog, int64_t n, int32_t id);
// "%.6f"; with trim the trailing zeros after the point (and a bare point) go.
void SetDialogDouble(NibDialog* dialog, int32_t id, bool trim, double value);
// A value in tenths shown with its point: 1200 as 120.0, 5 as 0.5.
void SetDialogTimeText(NibDialog* dialog, int32_t value, int32_t id);
void SetDialogNoteName(NibDialog* dialog, int32_t note, int32_t id);

// While gDialogInputValid is set: reads field id; within min..max the value goes to *out,
// otherwise error text 27 is shown once, gDialogInputValid is cleared and the field is
// selected and made the focus item. Answers gDialogInputValid.
uint8_t GetDialogNumberInRange(WindowRef window, int32_t min, int32_t max, int32_t* out,
                               int32_t id);
// The same for a decimal number (not finite: out of range).
uint8_t GetDialogDoubleInRange(WindowRef window, double min, double max, double* out, int32_t id);
constexpr int32_t kValueOutOfRangeText = 27;
