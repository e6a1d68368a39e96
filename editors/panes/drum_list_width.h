// The width of the left column of every pane (keyboard, drum names, lane scale): wide while a
// pane shows a drum view, else the key column.
#pragma once

#include <cstdint>

// The width in pixels (the timeline frame's origin x follows it).
extern int16_t gDrumListWidth;
void UpdateDrumListWidth();
