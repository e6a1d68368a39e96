// Moving from note to note in the current track with the '[' and ']' keys.
#pragma once

#include <cstdint>

// From the current event, the next (direction +1) or previous (-1) note of the current track
// becomes the selected note (with extend the selection keeps its other notes), the current
// event and the song position, and the main editor scrolls to it. Without notes the editor
// only scrolls to the song position. True when a note was reached.
bool StepToNote(int16_t direction, bool extend);
