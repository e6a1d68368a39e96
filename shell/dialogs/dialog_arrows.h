// Arrow (repeat) buttons beside number and note fields of classic dialogs: user items drawn
// as an up and a down half, stepping their field once per click and repeatedly while the
// mouse stays down; mouse-wheel steps reach them through the modal filter.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialogs.h"

// Pictures of the button: normal, upper half pressed, lower half pressed (+0, +1, +2), for
// screens of fewer than 4 bits and for deeper ones. Without them the button is drawn.
constexpr int16_t kArrowPictureShallow = 808;
constexpr int16_t kArrowPictureDeep = 812;
// The key-down message that tells the modal filter that wheel steps wait.
constexpr uint32_t kWheelStepMessage = 32286;
constexpr uint32_t kRepeatFirstDelayTicks = 30;
constexpr uint32_t kRepeatIntervalTicks = 4;

// 1 when the upper half was hit (step up), 0 for the lower half.
extern uint8_t gRepeatUp;
// Wheel steps not yet applied (the sign gives the direction).
extern int16_t gPendingWheelSteps;

// Makes page item n an arrow button (a user item) and adds it to the arrow-button list;
// false when the list is full.
bool InstallDialogUserItem(int16_t n);
// Pixel depth of the main screen when colour drawing is on, else 0.
int16_t GetScreenDepth();
// Draws the arrow button of the hit item: pressed 0 none, 1 upper half, 2 lower half.
void DrawRepeatButtonPicture(int16_t pressed);
void DrawRepeatButtonForItem(DialogRef dialog, int16_t item, int16_t pressed);
// hilite(arg, 1), then action(arg) on every pass while the mouse is down inside gScratchRect
// (at least once), hilite following the mouse in and out; hilite(arg, 0) at the end.
void RepeatWhileButtonDown(void (*action)(void*), void (*hilite)(void*, int16_t), void* arg);
// Applies pending wheel steps at once, or tracks the pressed half; step(up) moves the field.
void RunRepeatSteps(void (*step)(bool up));
// RunRepeatSteps for a field of the caller's own kind (page item field, selected afterwards).
void RunRepeatStepsOnField(int16_t field, void (*step)(bool up));
// Steps the number field (page item) of the hit arrow button within min..max.
void RunRepeatButton(int32_t lo, int32_t hi, int16_t item);
void RunRepeatButtonForFocus(int32_t lo, int32_t hi);
// The same on a note field: 0..127, written as a note name.
void RunNoteRepeatButton(int16_t item);
// From the mouse-wheel handler: adds the steps and wakes the modal filter.
void QueueWheelSteps(int16_t delta);
