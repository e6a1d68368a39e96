// The counter read-outs of the info panel (window kind 3): the song position as
// bar:beat:tick, the meter, the time code, and the element rectangles the panel is laid out by.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// Bit 0: the bar:beat:tick and meter read-outs are drawn (clear while a counter field is being
// typed); bit 1: RedrawCounterWindow draws.
extern uint16_t gCounterDisplayFlags;
constexpr uint16_t kCounterShowsReadouts = 0x1;
constexpr uint16_t kCounterRedrawsWindow = 0x2;

// The values the read-outs show, so that a read-out is drawn again only when its value
// changed: bar:beat:tick packed as (bar << 16) + (beat << 4) + tick, the meter, the tempo.
extern int32_t gCounterShownPosition;
extern int32_t gCounterShownMeter;
extern int32_t gCounterShownTempo;
// The values a full redraw starts from: every read-out differs from them.
constexpr int32_t kCounterPositionUnshown = -165;
constexpr int32_t kCounterValueUnshown = -1;

// The counter's mode (0 bars, 1 time code, 2 samples), which the panel names under the sync source.
int16_t GetCounterMode();

// Element n of the counter (0..5): 21 x 11 at x = 89 + 33 n (n - 3 from the fourth on),
// bottom 17 for the first three and 52 for the others.
void GetCounterElementRect(int16_t n, Rect* rect);
// gScratchRect = the meter area: the style's rectangle when its option word has bit 0x80,
// else left 20, top 1, 56 wide, 34 high.
void SetMeterAreaRect();

// Draws the read-outs whose values changed, or all of them with full set, in the current port.
void DrawCounterDisplay(int16_t full);
