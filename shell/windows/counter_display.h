// The counter read-outs of the info panel (window kind 3): the song position as
// bar:beat:tick, the meter with the key signature on its small staff, the time code, and the
// rectangles of the read-outs' fields. Main thread, in the panel's port.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// Bit 0: the bar:beat:tick and meter read-outs are drawn (clear while a counter field is being
// typed); bit 1: RedrawCounterWindow draws.
extern uint16_t gCounterDisplayFlags;
constexpr uint16_t kCounterShowsReadouts = 0x1;
constexpr uint16_t kCounterRedrawsWindow = 0x2;

// The values the read-outs show, so that a read-out is drawn again only when its value
// changed: bar:beat:tick packed as (bar << 16) + (beat << 4) + tick, the meter as
// (key << 16) + (ticks per beat << 4) + numerator, the tempo.
extern int32_t gCounterShownPosition;
extern int32_t gCounterShownMeter;
extern int32_t gCounterShownTempo;
// The values a full redraw starts from: every read-out differs from them.
constexpr int32_t kCounterPositionUnshown = -165;
constexpr int32_t kCounterValueUnshown = -1;
// Sets the three caches to their unshown values, so that the next draw shows every read-out
// (after their area was erased).
void ResetCounterCaches();
// The time code last shown: bytes 4-7 hours, minutes, seconds, frames.
extern uint8_t gCounterShownTimeCode[8];
// The texts the position and time read-outs last drew.
extern Str255 gCounterPositionText, gCounterTimeText;
// How many frames the time code may move before the read-out is drawn again.
constexpr int32_t kCounterFrameTolerance = 2;

// The font of the position read-outs and their fields (0 until looked up, and 0 when none
// of the fonts the counter likes is installed), always at size 17.
extern int16_t gCounterFontId;
constexpr int16_t kCounterFontSize = 17;
void SetCounterFont();
// Looks the counter's font up once (it stays 0 when none is found).
void LookUpCounterFont();

// The counter's mode (0 bars, 1 time code, 2 samples), which the panel names under the sync source.
int16_t GetCounterMode();
void SetCounterMode(int16_t mode);

// Element n of the counter (0..5): 21 x 11 at x = 89 + 33 n (n - 3 from the fourth on),
// bottom 17 for the first three and 52 for the others.
void GetCounterElementRect(int16_t n, Rect* rect);
// gScratchRect = the meter area: the style's rectangle when its option word has bit 0x80,
// else left 20, top 1, 56 wide, 34 high.
void SetMeterAreaRect();
// gScratchRect = a field of the bar:beat:tick read-out (the counter font set): the bar from
// the read-out's left edge to the beat field (at least 38 wide); the beat the ":00" before the final ":000"; the tick
// the final ":000". Top 20 above the read-out's bottom, bottom 3 above it (the bar 17 high).
void SetCounterBarFieldRect();
void SetCounterBeatFieldRect();
void SetCounterTickFieldRect();

// The position, meter and key the counter shows now, from the clock (held at the beat's
// start while it runs) or, stopped, from the conductor map at the clock's position.
struct CounterValues {
  int32_t bar = 0, beat = 0, tick = 0;  // bar and beat from 0
  int32_t numerator = 4, ticksPerBeat = 0;
  uint8_t key = 0;
  uint8_t timeCode[4] = {0, 0, 0, 0};
};
void GatherCounterValues(CounterValues* v);
// The meter's denominator: ticks per whole note / ticks per beat (0 for no ticks per beat).
int32_t CounterMeterDenominator(int32_t ticksPerBeat);

// Draws the read-outs whose values changed, in the current port; with full set the time code
// is drawn even when it moved less than the frame tolerance.
void DrawCounterDisplay(int16_t full);
// The tick as the counter's mode shows it (time code in mode 1, else bar:beat:tick), drawn
// from x on the pen's line.
void DrawCounterPosition(int32_t tick, int16_t x);
