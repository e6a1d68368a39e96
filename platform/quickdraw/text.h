// Text of the current port through FreeType, with the classic font numbers and names mapped
// to installed fonts through fontconfig:
//   0 system font, "Lucida Grande", "Charcoal", "Chicago", "Geneva" (1, 3) -> DejaVu Sans
//   4 "Monaco" -> DejaVu Sans Mono;  2 "New York" -> DejaVu Serif
//   21 "Helvetica", "Arial" -> Liberation Sans;  20 "Times" -> Liberation Serif
//   22 "Courier" -> Liberation Mono
// Other family names found by fontconfig get numbers from 1024 up, in order of first use.
// Size 0 means 12 points; one point is one pixel. Glyphs are hinted, rendered with grey
// anti-aliasing and no subpixel positioning; advances are whole pixels, so widths and
// metrics are the same on every run with the same fonts.
//
// Strings are Mac Roman (a Pascal string, or bytes and a count). Styles: bold and italic
// use the family's bold and italic faces (or embolden and slant), underline draws a line
// below the baseline, condense and extend take one pixel from or add one to each advance.
// Text modes: srcOr (the default) draws the glyphs in the foreground colour, srcCopy also
// fills the text's line box with the background first, srcBic draws in the background
// colour, srcXor inverts the glyphs' pixels; the pen moves by the text's width.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

void TextFont(short font);
void TextFace(StyleParameter face);
void TextMode(short mode);
void TextSize(short size);
// Extra width added to each space character (16.16 fixed point).
void SpaceExtra(Fixed extra);

// Font number of a family name (a Pascal string), or 0 when no such font is known.
void GetFNum(ConstStr255Param name, short* familyID);
// Name of a font number (its classic name for the standard numbers), "" when unknown.
void GetFontName(short familyID, Str255 name);
// True when the number names a font we can draw (every size can be drawn).
Boolean RealFont(short fontNum, short size);
void GetFontInfo(FontInfo* info);

short CharWidth(short ch);
short StringWidth(ConstStr255Param s);
short TextWidth(const void* textBuf, short firstByte, short byteCount);
void DrawChar(short ch);
void DrawString(ConstStr255Param s);
void DrawText(const void* textBuf, short firstByte, short byteCount);

// Font and metrics for any font, size and style, without a port (theme text uses these).
void GetFontInfoFor(short font, short size, Style face, FontInfo* info);
// Width of UTF-32 text in that font.
short MeasureCodePoints(short font, short size, Style face, const char32_t* text, size_t count);
// Draws UTF-32 text at the current port's pen location with the given font, moving the pen.
void DrawCodePoints(short font, short size, Style face, const char32_t* text, size_t count);
// Path of the font file used for a number and style, for diagnostics ("" when none).
void GetFontFilePath(short font, Style face, char* path, size_t capacity);
