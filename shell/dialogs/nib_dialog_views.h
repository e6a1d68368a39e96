// Controls of nib dialogs by id (HIViewID {0, id}): finding, showing, enabling, values, check
// boxes, radio groups and field selections; and the window helpers the dialogs use. Ids are
// plain unless said otherwise; "page" ids have gDialogIdBase added, like classic page items.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"
#include "platform/windows/windows.h"

OSStatus FindDialogView(WindowRef window, int32_t id, ControlRef* outControl);
// Shows showId and hides hideId; 0 skips either.
void ShowHideDialogViews(WindowRef window, int32_t showId, int32_t hideId);
// Activates (or deactivates) page control b for every byte b of the list.
void EnableDialogViews(WindowRef window, const uint8_t* idBytes, int32_t count, bool enable);
// The find status; the control's value is set when found.
OSStatus SetDialogViewValue(WindowRef window, int32_t id, int32_t value);
// 0 when not found.
int32_t GetDialogViewValue(WindowRef window, int32_t id);
// Page control id: 1 when flag is non-zero, else 0.
void SetDialogCheckBox(WindowRef window, int32_t id, int32_t flag);
// Bit `bit` of *byte set from the value of page control id.
void GetDialogCheckBit(WindowRef window, uint8_t* byte, uint8_t bit, int32_t id);
// Page controls first..last to 0, then chosen to 1.
void SetDialogRadioGroup(WindowRef window, int32_t first, int32_t last, int32_t chosen);
// When gDialogItemHit is page first..last: that one is chosen (1); otherwise 0.
int32_t SetDialogRadioGroupFromRange(WindowRef window, int32_t first, int32_t last);
// The offset 0..n-1 of the first of n controls from firstId (no page base) that is set; 0
// when none is.
int32_t GetDialogRadioChoice(WindowRef window, int32_t firstId, int32_t n);
void RedrawDialogView(WindowRef window, int32_t id);
// Sets the text selection of an edit field; with focus the field also takes the keyboard
// focus. Answers the SetControlData status (the find status when there is no such field).
OSStatus SetDialogFieldSelection(WindowRef window, int32_t id, int16_t start, int16_t end,
                                 bool focus);
// The whole text selected and focused.
OSStatus SelectDialogField(WindowRef window, int32_t id);

bool IsWindowCompositing(WindowRef window);
// A point of view converted to the window's content coordinates; the window's port becomes
// current.
void ConvertViewPointToPort(WindowRef window, HIViewRef view, Point* point);
// Moves the window (without activating it) centred horizontally 5 pixels right of
// gLastMousePoint (local to the current port) with its top 10 pixels below it, kept inside
// the desktop bounds.
void MoveWindowNearMouse(WindowRef window);
