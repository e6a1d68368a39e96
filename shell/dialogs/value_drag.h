// Changing a number by pressing on it and moving the mouse up and down: moving up raises
// it. Small movements inside the field step by one with an arrow cursor; beyond that the
// cursor is hidden and put back to where the drag started after every step, and the step
// grows with the distance moved.
#pragma once

#include <cstdint>

#include "shell/dialogs/value_fields.h"

// 'CURS' resources of the arrow cursor for stepping down and up.
enum : int16_t { kValueDownCursorId = 5000, kValueUpCursorId = 5001 };

// Commits any field being edited and drags the value of the field in gScratchRect (its
// window's port current) with mode bit `mode` and the default drawing. Returns the largest
// vertical movement seen.
int32_t TrackValueDrag(ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                       int32_t value, int32_t maxTextLength, int16_t mode, uint8_t limitCheck);
int32_t TrackValueDragDefault(ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                              int32_t value, int32_t maxTextLength);
// The drag itself. startedByKey: the field was opened from the keyboard; the drag then
// starts at the mouse's height and ends on a mainly horizontal movement. The field stays
// active afterwards (typing edits it, CommitValueFieldEdit ends it).
int32_t TrackValueDragLoop(ValueChangeProc changeProc, int32_t minimum, int32_t maximum,
                           int32_t value, ValueDrawProc drawProc, bool startedByKey);
// The step for a vertical movement dv: +-1 for 2..4 pixels, +-2 for 5 and more, 0 below.
int32_t DragStepForDistance(int32_t dv);
// The auto-repeat delay before the next wait: 25 ticks at first, 3 less each time, to 0.
int32_t NextDragDelay(int32_t delay);
