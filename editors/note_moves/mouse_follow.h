// One step of following the mouse in the main editor while the button is down, for the note,
// velocity, length and block drags: the next pointer position from the queued mouse events.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

enum MouseFollowStep : int16_t {
  kPointerMoved = 0,     // the button is still down
  kPointerReleased = 1,  // the last position: where the button came up
  kPointerCancelled = 2, // escape or command-period
};

// The pointer in the main editor window's coordinates, and the modifier keys with it.
MouseFollowStep FollowEditorMouse(Point* where, uint32_t* modifiers);
// Drags a grey outline of the rectangle horizontally from gLastMousePoint with the pointer
// held inside limit; the move in pixels, 0 when released outside slop (or not moved).
int16_t DragOutlineHorizontally(const Rect& shape, const Rect& limit, const Rect& slop);
