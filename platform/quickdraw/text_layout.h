// Line layout for the current port's font: finding where a line of text breaks, the visible
// part of a line, drawing a line spread to a width, glyph metrics, and the system direction.
//
// Text is Mac Roman bytes. Widths are those of TextWidth in the current port (font, size,
// style and space extra); offsets are byte offsets from textPtr.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

using StyledLineBreakCode = SInt8;
enum : StyledLineBreakCode {
  smBreakWord = 0,      // the line breaks at a word boundary (or before a line end)
  smBreakChar = 1,      // no word fits: the line breaks between characters
  smBreakOverflow = 2,  // the whole run fits; *textWidth holds the width left over
};

using JustStyleCode = SInt16;
enum : JustStyleCode { onlyStyleRun = 0, leftStyleRun = 1, rightStyleRun = 2, middleStyleRun = 3 };

// Finds the end of the line that begins at textStart in the run textStart..textEnd of a text
// of textLen bytes. *textWidth (16.16) is the width available; *textOffset is non-zero on
// entry when the run is the first on the line, and receives the offset the line ends at.
//   - Blanks (space, tab) after a word hang past the width and stay on the line.
//   - A return or line feed ends the line after itself.
//   - When no word fits: the first run of a line breaks between characters (at least one
//     character, so that a caller always moves on); a later run breaks before itself.
//   - When the run fits, the result is smBreakOverflow, *textOffset is textEnd and the run's
//     width is taken from *textWidth.
// textEnd beyond textLen is cut to textLen; a null pointer or an empty run overflows at once.
// flags is reserved.
StyledLineBreakCode StyledLineBreak(const void* textPtr, SInt32 textLen, SInt32 textStart,
                                    SInt32 textEnd, SInt32 flags, Fixed* textWidth,
                                    SInt32* textOffset);

// Length of the text without its trailing blanks (spaces, tabs, returns, line feeds).
SInt32 VisibleLength(const void* textPtr, SInt32 textLength);

// Draws the text at the pen with slop (16.16, may be negative) spread over its spaces: the
// k-th of n spaces gets round(slop x k / n) - round(slop x (k - 1) / n) extra pixels, so the
// pen ends exactly round(slop) beyond the plain width. A text without spaces is drawn plainly
// and the pen still moves by the slop. Scaling (numer / denom) is not supported and ignored.
void DrawJustified(const void* textPtr, SInt32 textLength, Fixed slop,
                   JustStyleCode styleRunPosition, Point numer, Point denom);

// Glyph metrics of the text in the current font: yMax is the highest glyph top above the
// baseline, yMin the lowest glyph bottom (negative below the baseline); awArray the advance
// of each byte's glyph (16.16), lsbArray its left side bearing (16.16), boundsArray its ink
// bounds relative to the pen on the baseline. Any output may be null. noErr, or paramErr for
// a null text or a negative count (a count of 0 gives yMax = yMin = 0).
OSErr OutlineMetrics(short byteCount, const void* textPtr, Point numer, Point denom,
                     short* yMax, short* yMin, Fixed* awArray, Fixed* lsbArray,
                     Rect* boundsArray);

// True when the current font is an outline font (every font we draw is).
Boolean IsOutline(Point numer, Point denom);

// The system's line direction: 0, left to right.
short GetSysDirection();
