// The tempo display of the info panel: the transport's scaled tempo as a number with one
// decimal, a slider with its knob spanning 12.0 to 300.0 beats per minute, and the two arrow
// buttons beside the number. Drawing here; the clicks on the arrows and the slider are in
// tempo_controls. Main thread, in the panel's port.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The arrows: 29 steps the tempo down, 30 up.
constexpr int16_t kTempoArrowDown = 29;
constexpr int16_t kTempoArrowUp = 30;
// The tempos the slider spans (tenths of a beat per minute), and the highest a number shows.
constexpr int32_t kSliderLowestTempo = 120;
constexpr int32_t kSliderTempoSpan = 2880;
constexpr int32_t kHighestShownTempo = 4500;
// The slider (panel coordinates): its top, bottom and left; the knob is kTempoKnobWidth wide
// and its left edge lies gTempoKnobPosition pixels right of the slider's left.
constexpr int16_t kTempoSliderTop = 38, kTempoSliderBottom = 47, kTempoSliderLeft = 2;
constexpr int16_t kTempoKnobWidth = 7;
constexpr int16_t kDefaultTempoSliderWidth = 72;

// The knob's place (0..gTempoSliderWidth), the slider's width, and the colour icon the knob is
// drawn with ('cicn' id; 0: a painted box).
extern int16_t gTempoKnobPosition;
extern int16_t gTempoSliderWidth;
extern int16_t gTempoKnobIcon;

// The number's rectangle: left 22, top 50, 36 wide and 13 high.
void GetTempoDisplayRect(Rect* rect);
// gScratchRect = the arrow rectangle at left h: top 50, 13 by 13.
void SetArrowRect(int16_t h);
// gScratchRect = arrow 29's rectangle (left 1) or arrow 30's (left 60).
void SetTempoArrowRect(int16_t which);
// The slider's rectangle, knob included at both ends.
void GetTempoSliderRect(Rect* rect);

// The arrow glyphs: closed polygons filled black, their top left at (h, v), 10 by 13.
void DrawRightArrow(int16_t h, int16_t v);
void DrawLeftArrow(int16_t h, int16_t v);
// Arrow 29 or 30 in its rectangle, framed; pressed inverts it.
void DrawTempoArrow(int16_t which, bool pressed);

// Draws min(value, 4500) as tenths at (h, v), moved right by the digits it lacks against four
// unless noPad.
void DrawTempoValue(int32_t value, int16_t h, int16_t v, bool noPad);
// The number in its framed rectangle (theme colours with colour drawing).
void DrawCounter(int32_t value);
// The knob moved to the place of tempo (0 at 12.0, the full width at 300.0), and drawn.
void UpdateTempoSlider(int32_t tempo);
// The slider's groove and the knob at gTempoKnobPosition.
void DrawTempoSlider();
void DrawTempoKnob();
// The knob erased where it stands when position differs, then stored and drawn with the slider.
void MoveTempoKnob(int16_t position);
// The transport's scaled tempo shown in the slider and the number.
void RedrawTempoDisplay();
// In the panel's port: the factor set (SetTempoFactor) and the display redrawn. Without a
// panel only the factor is set.
void RedrawCounter(uint16_t factor);

// The whole tempo area drawn again in the current port (the panel's), and the transport's
// tempo remembered as the shown one: the counter's drawing calls it when the tempo changed.
void DrawCounterTempoArea();

// A click in the info panel at a local point: true when it fell on the tempo's arrows or
// slider and was handled there (tempo_controls.cpp).
bool ClickTempoControls(Point local);
