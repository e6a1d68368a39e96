// Showing an event in the main editor: the editor scrolls to its bar and the current pane
// switches to the lane (or the note, drum or audio view) that shows its kind.
#pragma once

#include <cstdint>

// event: a record of the current track's list (null: none); tick: where it lies; mode: the
// view asked for (9 the audio view, negative none).
void ShowEventInLane(uint8_t* event, uint32_t tick, int16_t mode);
