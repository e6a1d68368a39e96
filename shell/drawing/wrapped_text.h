// A text box: text broken into lines at word boundaries to the width of a rectangle and
// drawn line by line in the current port's font, clipped to the rectangle.
#pragma once

#include "platform/memory/mac_types.h"

// Justifications. 0 follows the system direction (left to right: flush left).
enum : int16_t {
  kJustifyDefault = 0,
  kJustifyCenter = 1,
  kJustifyRight = -1,
  kJustifyLeft = -2,
  kJustifyFull = 2,  // spread to both edges, except the last line of a paragraph
};

// The line step for a text: lineHeight 0 gives ascent + descent + leading of the current
// font; a positive lineHeight is used as it is; a negative one takes the larger of the
// font's and the text's glyph extents above and below the baseline. *ascent (may be null)
// receives the ascent the first baseline is placed by, *leading the font's leading.
int16_t GetLineHeight(const void* text, int32_t length, int16_t lineHeight, int16_t* ascent,
                      int16_t* leading);

// Draws text[start .. start + length) on baseline v between left and right, aligned after
// its trailing blanks are dropped. Full justification spreads the line to right unless it
// ends a paragraph, when it is drawn flush left.
void DrawTextLine(const void* text, int32_t start, int32_t length, int16_t left, int16_t right,
                  int16_t v, int16_t justification, bool endsParagraph);

// Draws the text in rect and returns its number of lines (every line is counted; lines
// below rect are clipped away). The first baseline is rect's top + ascent + leading, or
// top + lineHeight + leading for a positive lineHeight. *lastBaseline receives the last
// line's baseline (the first baseline for an empty text), *lineStep the line step; either
// may be null. A null text or rect draws nothing and gives 0.
int16_t DrawWrappedText(const void* text, int32_t length, const Rect* rect, int16_t justification,
                        int16_t lineHeight, int16_t* lastBaseline, int16_t* lineStep);
int16_t DrawWrappedPString(ConstStr255Param text, const Rect* rect, int16_t justification,
                           int16_t lineHeight, int16_t* lastBaseline, int16_t* lineStep);
int16_t DrawWrappedTextChars(const char* text, int32_t length, const Rect* rect,
                             int16_t justification, int16_t lineHeight, int16_t* lastBaseline,
                             int16_t* lineStep);
