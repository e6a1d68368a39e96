// The program's text drawing: the default text font, Pascal strings drawn and measured
// either in the port's font (classic text) or through the theme text routines, and the line
// metrics the rows are sized with.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"
#include "platform/quickdraw/theme_text.h"

// Bit 0x400: classic text (the port's font, DrawString); clear: theme text in font 200.
extern uint16_t gDrawPrefs;
constexpr uint16_t kDrawPrefsClassicText = 0x400;
constexpr int16_t kProgramThemeFont = 200;

// The default text font and size (from the preferences) and its metrics.
extern int16_t gDefaultFontId;
extern int16_t gDefaultFontSize;
extern FontInfo gDefaultFontInfo;

void GetPenLocation(Point* point);
void SetTextFontSize(int16_t font, int16_t size);
void RestoreDefaultTextFont();
// Font 1, size 9.
void SetSmallTextFont();
// The default font, then srcCopy.
void SetDefaultFontSrcCopy();
// The default font's metrics are measured again (after the preferences changed it).
void UpdateDefaultFontInfo();
// The default font becomes the font family of that name (font 1 when no family has it).
void SetDefaultFontByName(ConstStr255Param name);

// Nothing for an empty string; the pen moves right by the text's width.
void DrawPString(ConstStr255Param text);
void DrawPStringWithThemeFont(ConstStr255Param text, int16_t themeFont);
int16_t MeasurePString(ConstStr255Param text);
// Draws text in rect on one line, cut with an ellipsis when wider (truncate true), aligned
// left (0), right (1) or centred (2); the rectangle is erased first when the port's text mode
// is srcCopy. Returns the text's width (h) and height (v); (0, 0) for an empty string.
Point DrawThemeTextInRect(const Rect* rect, ConstStr255Param text, bool truncate, int16_t align,
                          int16_t themeFont, ThemeDrawState state);
// Draws text right-aligned in the bottom line of gScratchRect (lineHeight <= 0: the default
// font's line height), erasing all of gScratchRect first when eraseFirst is set.
void DrawPStringRightAligned(ConstStr255Param text, bool eraseFirst, int16_t lineHeight);
void EraseAndDrawPStringRight(ConstStr255Param text, int16_t lineHeight);
// Ascent, descent and leading into info (may be null); returns the line height.
int16_t GetLineMetrics(FontInfo* info);
int16_t GetDefaultFontLineHeight();
