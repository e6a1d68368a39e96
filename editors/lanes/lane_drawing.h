// Drawing a data lane: the backdrop, the scale, the grid and the values as steps (or dots in
// the program lane), and the lane's title in the info strip.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The lane of the current pane (its event area in gScratchRect) between x left and right;
// with reuse the columns as the tools left them, else built afresh into a scratch buffer.
OSErr DrawLaneContents(bool reuse, int16_t left, int16_t right);
void DrawLaneTitle();
