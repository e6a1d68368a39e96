// Dragging a marker along the marker strip of the main editor with the mouse.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The dragged state of a marker while it follows the mouse (drawn in bold in the strip).
constexpr uint8_t kMarkerDragged = 0x04;

// The marker index follows the mouse, snapped to the grid, while the button is down and the
// mouse lies within the strip (5 pixels more above and below); outside it the marker stands at
// its starting time. A moved marker is one undoable step; an unchanged time changes nothing.
// True only for a double-click (the marker dialog opens instead of a drag).
bool DragMarker(Point start, int32_t index, bool doubleClick);
