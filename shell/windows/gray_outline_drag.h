// Dragging a gray outline of a region with the mouse (the lists' rows, the lanes).
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The result's vertical half (high word) when the mouse was released outside the limits.
constexpr int16_t kOutlineDragCancelled = int16_t(0x8000);

// Follows the mouse from start (local coordinates of the current port) with a gray outline
// of the rectangle, kept within limit (the mouse within slop); axis 0 both, 1 horizontal,
// 2 vertical. Returns the offset: vertical in the high word, horizontal in the low word.
int32_t DragGrayOutline(const Rect& outline, Point start, const Rect& limit, const Rect& slop, int16_t axis);
