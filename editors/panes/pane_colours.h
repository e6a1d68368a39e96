// The colours of the pane stack, by index of the program's colour table (used only on colour
// screens with a table; gray patterns and black stand in otherwise).
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

constexpr int16_t kHeaderColour = 6;
constexpr int16_t kHeaderTextColour = 8;
constexpr int16_t kSelectedHeaderColour = 13;
constexpr int16_t kSelectedHeaderTextColour = 15;
constexpr int16_t kNewPaneBoxColour = 19;
constexpr int16_t kNewPaneFrameColour = 25;
constexpr int16_t kPaneBackColour = 27;
constexpr int16_t kBarLineColour = 28;
constexpr int16_t kBeatLineColour = 29;
constexpr int16_t kSubdivisionLineColour = 38;
constexpr int16_t kRulerLineColour = 25;
constexpr int16_t kShadedRowColour = 65;

// The pens of the row and grid lines: the colour, or a pattern on screens without colour.
void SetBarPen();
void SetBeatPen();
void SetSubdivisionPen();
// The ruler's frames and the pen left after the grid lines (colour 25, else black).
void SetRulerPen();
// Fore or back colour n when the screen has colour and the table holds it.
void SetPaneForeColour(int16_t n);
void SetPaneBackColour(int16_t n = kPaneBackColour);
// The colour table's entry n, or fallback.
RGBColor PaneColour(int16_t n, const RGBColor& fallback);

