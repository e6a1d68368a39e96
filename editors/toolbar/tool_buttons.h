// The main editor tool bar's edit tools and tuplet buttons, drawn in the cells the click
// dispatch tests the mouse against; the chosen tool and the set tuplet are drawn pressed.
#pragma once

#include <cstdint>

// Label texts of the tools 0..6, as drawn in their cells.
const unsigned char* GetToolLabel(int16_t tool);
// Draws the seven tool cells, in the note, drum and audio views the four tuplet buttons, and
// the zoom, bend and 'R' buttons (bend pressed while the track shows its notes bent).
void DrawToolButtons();
