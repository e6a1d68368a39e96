// Drawing a data lane: the backdrop, the scale, the grid and the values as steps (or dots in
// the program lane), and the lane's title in the info strip.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/events/toolbox_refs.h"
#include "platform/quickdraw/quickdraw_types.h"

// The program colour table's entry for lane graphs and scale labels.
constexpr int16_t kLaneGraphColour = 24;
// The lane title box in the info strip, from the tool bar's origin.
constexpr int16_t kLaneTitleLeft = 258;
constexpr int16_t kLaneTitleTop = 24;
constexpr int16_t kLaneTitleWidth = 105;
constexpr int16_t kLaneTitleHeight = 14;

// The editor's display settings of the lane backdrop: hidden, and its colour as three bytes.
extern bool gLaneBackdropHidden;
extern uint8_t gLaneBackdropColour[3];
// The lane rectangle of the last lane drawn (its values map to y inside it).
extern Rect gLastDrawnLaneRect;

// The lane of the current pane (its event area in gScratchRect) between x left and right;
// with reuse the columns as the tools left them, else built afresh into a scratch buffer.
// The memory error when the scratch buffer cannot be had (nothing drawn then).
OSErr DrawLaneContents(bool reuse, int16_t left, int16_t right);
// The step graph of the columns between left and right (the pen as the caller set it);
// values at or above limit are no value; y through ValueToLaneY over range.
void DrawLaneSteps(const int32_t* columns, int32_t limit, int32_t range, int16_t left, int16_t right);
// The program lane: each value a 7x7 circle at its start and a line to its end; no circle
// for a value that began off the left edge of a scrolled view.
void DrawLaneDots(const int32_t* columns, int32_t limit, int32_t range, int16_t left, int16_t right);
// The current track's notes as a miniature piano roll in the current colour, inside the lane
// less 3 pixels top and bottom, between the ticks at left and right.
void DrawLaneEventBackdrop(int16_t left, int16_t right);
// The backdrop of the lane kind: colour, note backdrop and the track's waveform overview.
void DrawLaneBackdrop(int32_t kind, int16_t left, int16_t right);
// The lane title box of the info strip: what the lane of the current pane shows.
void DrawLaneTitle();
// The lane graph's colour as the screen shows it (black without a colour table).
RGBColor GetLaneGraphColour();
// Black on white, the port set to the window and clipped to it.
void DrawBlackOnWhite(WindowRef window);
