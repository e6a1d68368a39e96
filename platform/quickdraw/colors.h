// Foreground, background and operation colours of the current port, the highlight colour
// and mode, and single pixels.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);
// The eight classic colours (blackColor ... yellowColor); another value gives black for the
// foreground and white for the background.
void ForeColor(long color);
void BackColor(long color);
// The weight (blend) or pin (addPin, subPin) colour of the arithmetic modes.
void OpColor(const RGBColor* color);
// The current port's highlight colour is the system one; HiliteColor sets the system's.
void HiliteColor(const RGBColor* color);

void LMGetHiliteRGB(RGBColor* color);
void LMSetHiliteRGB(const RGBColor* color);
// Bit 7 (0x80) set: InvertRect and its kin invert. Clearing it makes the next inverting
// call use the highlight colour instead (it swaps background and highlight colours), after
// which the bit is set again.
UInt8 LMGetHiliteMode();
void LMSetHiliteMode(UInt8 mode);
constexpr UInt8 kHiliteModeBit = 0x80;

// The pixel at the current port's local point (white outside the pixel map).
void GetCPixel(short h, short v, RGBColor* color);
// Sets one pixel, within the port's clip and visible regions.
void SetCPixel(short h, short v, const RGBColor* color);

// A pixel word (0xFFRRGGBB) of a colour and back. Channels round to the nearest 8 bits.
UInt32 PixelFromRGB(const RGBColor& color);
RGBColor RGBFromPixel(UInt32 pixel);
