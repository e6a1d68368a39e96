// Moving instrument strips: the selected instruments dragged by their names to another
// display position take their places there in the instrument table, as one undoable step.
#pragma once

#include <cstdint>

// Moves the selected instruments (in their table order) to the place of the instrument shown
// at display position `position` (counted with the scroll; at or past the last: to the end).
// The records between shift, and every reference to an instrument follows it. False when
// nothing moved.
bool MoveSelectedInstrumentsTo(int32_t position);
// Drags the outlines of the selected strips from the current strip's name (the window scrolls
// by a strip while the mouse is beyond the strips) and moves them where they are released.
void DragSelectedStrips();
