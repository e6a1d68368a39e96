// Text and numbers drawn at the pen of the current port: padding to a column of digits,
// right-aligned numbers and strings, centred strings and bar:beat:tick positions.
#pragma once

#include "platform/memory/mac_types.h"

// The current font's metrics and the width of the digit 8, kept by CacheDigitWidth.
struct DigitMetrics {
  int16_t ascent = 0;
  int16_t descent = 0;
  int16_t leading = 0;
  int16_t digitWidth = 0;
};
extern DigitMetrics gDigitMetrics;

// Caches the current font's metrics and the width of '8'; call after changing the font.
void CacheDigitWidth();
// From the pen, erases n digit widths from ascent to descent (unless the port's text mode is
// not srcCopy, 0) and moves the pen to their end. Nothing for n <= 0.
void PadAndMoveTo(int16_t n);
// Pads for width - (characters of n), so that n drawn next ends at width digit widths.
void PadForNumber(int32_t n, int16_t width);
void DrawNumber(int32_t n);
void DrawNumberRightAligned(int32_t n, int16_t width);
// Centres text horizontally in rect, on baseline v.
void DrawStringCentered(ConstStr255Param text, const Rect* rect, int16_t v);
// Erases the cell from the pen to columnWidth + 1 pixels right of it, from the font's ascent
// to its descent plus leading, and moves the pen so that text drawn next ends at the cell's
// right edge (pen + columnWidth + 1).
void PrepareRightAlignedText(ConstStr255Param text, int16_t columnWidth);
void DrawStringRightAligned(ConstStr255Param text, int16_t columnWidth);
// The position (bar and beat 0-based) as "bar:beat:tick", right-aligned in the column.
void DrawBarBeatTick(int32_t bar, int32_t beat, int32_t tick, int16_t columnWidth);
void SetTextBold();
