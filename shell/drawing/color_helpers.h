// The program's colour helpers: a small palette, colour calls that leave the port alone while
// colour drawing is off, luminance and blending, colours kept as three bytes and picked with
// the colour picker, the highlight colour, and the theme drawing state kept with a nesting
// count.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/windows/appearance.h"

// gAppState word 0 bit 0x100: colour drawing.
bool IsColorDrawingOn();

void SetForeRGBIfColor(const RGBColor* rgb);
void SetBackRGBIfColor(const RGBColor* rgb);
// White background pattern, and white back colour with colour drawing.
void SetBackWhite();

// Palette colour n (1-based, 8 colours; 9..16 the same at half strength, repeating every 16;
// n <= 0 light grey). The result is overwritten by the next call.
const RGBColor* GetPaletteColor(int32_t n);
// Palette colour n as fore (back false) or back colour, only with colour drawing.
void SetPaletteColorIfColor(int32_t n, bool back);

// Sum of the three components.
int32_t GetColorLuminance(const RGBColor* rgb);
// Darker than middle grey (the sum below half of its greatest value).
bool IsDarkColor(const RGBColor* rgb);
// Each component a + (b - a) x percent / 100.
void BlendRGB(RGBColor* out, const RGBColor* a, const RGBColor* b, int32_t percent);
// Lightness + delta (clamped to 0..65535) through HSL, in place.
void AdjustColorLightness(RGBColor* rgb, int32_t delta);
// Keeps the fore colour when it stands apart from the back colour; otherwise darkens a light
// fore colour or brightens a dark one, and sets it.
void PickContrastForeColor();

// A colour kept as three bytes (red, green, blue) widened to 16 bits a component (x 257, so
// 255 gives 65535), and back, each component rounded to the nearest byte.
void RGB8ToRGBColor(const uint8_t* rgb8, RGBColor* out);
void RGBColorToRGB8(const RGBColor* in, uint8_t* rgb8);
// Asks for a colour with the colour picker (at its default place, with the prompt), starting
// from the three bytes; only when the user confirms, they take the choice. True then.
bool PickColorWithDialog(ConstStr255Param prompt, uint8_t* rgb8);

// On a deep colour screen: highlight colour as back colour with a readable fore colour.
// TextMode srcCopy in any case.
void SetHiliteBackColor();
void ClearHiliteModeBit();
void InvertScratchRect();
void InvertScratchRectIfHilite();
void InvertScratchRoundRect(int16_t radius);

// The nesting count of saved theme drawing states.
extern int32_t gThemeStateDepth;
void SaveThemeDrawingState(ThemeDrawingState* state);
// With dispose the state is disposed and the count lowered (never below 0).
void RestoreThemeDrawingState(ThemeDrawingState state, bool dispose);
