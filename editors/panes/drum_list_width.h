// The width of the left column of every pane (keyboard, drum names, lane scale): the song's
// drum column width while a shown pane is in a drum view, else the key column.
#pragma once

#include <cstdint>

// The drum column of a song whose width byte is below kLeastStoredDrumWidth.
constexpr int16_t kDefaultDrumListWidth = 96;
constexpr uint8_t kLeastStoredDrumWidth = 6;
// The limits of a dragged drum column.
constexpr int16_t kLeastDrumListWidth = 28;
constexpr int16_t kGreatestDrumListWidth = 255;

// The width in pixels; the timeline frame's origin x is kept equal to it.
extern int16_t gDrumListWidth;
// Sets the width from the panes and the current song, and redraws the editor window.
void UpdateDrumListWidth();
