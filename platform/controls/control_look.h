// The controls' look: one palette and the drawing primitives every control kind is made of.
// Internal to platform/controls; everything draws in the current port.
#pragma once

#include <string>

#include "platform/controls/control_internal.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/appearance.h"

namespace look {

// Colours of the shared appearance (0xRRGGBB), as RGB.
constexpr RGBColor FromPixel(UInt32 rgb) {
  return RGBColor{UInt16(((rgb >> 16) & 0xFF) * 0x101), UInt16(((rgb >> 8) & 0xFF) * 0x101),
                  UInt16((rgb & 0xFF) * 0x101)};
}

constexpr RGBColor kFace = FromPixel(0xF4F4F4);
constexpr RGBColor kFacePressed = FromPixel(0xC6C6C6);
constexpr RGBColor kFrame = FromPixel(kMenuFramePixel);
constexpr RGBColor kFrameInactive = FromPixel(0xBEBEBE);
constexpr RGBColor kAccent = FromPixel(kHighlightPixel);
constexpr RGBColor kAccentPressed = FromPixel(0x1F55B0);
constexpr RGBColor kText = FromPixel(kTextPixel);
constexpr RGBColor kTextInactive = FromPixel(kDisabledTextPixel);
constexpr RGBColor kWhite = FromPixel(kContentPixel);
constexpr RGBColor kTrack = FromPixel(0xE4E4E4);
constexpr RGBColor kThumb = FromPixel(0xA8A8A8);
constexpr RGBColor kThumbPressed = FromPixel(0x7C7C7C);
constexpr RGBColor kArrow = FromPixel(0x505050);
constexpr RGBColor kSelection = FromPixel(0xB4D5FE);
constexpr RGBColor kStripe = FromPixel(0x9CC0FA);

enum class Direction { kUp, kDown, kLeft, kRight };

void Fill(const Rect& r, const RGBColor& color);
void Frame(const Rect& r, const RGBColor& color);
void FillRound(const Rect& r, short oval, const RGBColor& color);
void FrameRound(const Rect& r, short oval, const RGBColor& color);
void FillOvalIn(const Rect& r, const RGBColor& color);
void FrameOvalIn(const Rect& r, const RGBColor& color);
void LineBetween(short h1, short v1, short h2, short v2, const RGBColor& color);
// A filled triangle centred in box, pointing in the direction, about half the box's size.
void Triangle(const Rect& box, Direction direction, const RGBColor& color);
// One line of Mac Roman text in the control's font, vertically centred in box, cut with an
// ellipsis when too wide, clipped to box.
void TextLine(ControlRef control, const std::string& text, const Rect& box, SInt16 just,
              const RGBColor& color);
// The part of one line of text drawn from h that shows between left and right: its first
// byte, byte count and the h it starts at.
void VisibleRun(ControlRef control, const std::string& text, int h, int left, int right,
                size_t* first, size_t* count, int* startH);
// count bytes of text from first, drawn from h on the baseline (no clipping of its own).
void TextRun(ControlRef control, const std::string& text, size_t first, size_t count, int h,
             int baseline, const RGBColor& color);
// Text wrapped at spaces (and line breaks) from the top of box.
void TextWrapped(ControlRef control, const std::string& text, const Rect& box, SInt16 just,
                 const RGBColor& color);
// Ascent + descent of the control's font.
SInt16 LineHeight(ControlRef control);
SInt16 Ascent(ControlRef control);

// Runs f with the clip narrowed to r (and the port's clip), restoring the clip after.
template <typename F>
void Clipped(const Rect& r, F f) {
  RgnHandle saved = NewRgn(), narrowed = NewRgn();
  GetClip(saved);
  RectRgn(narrowed, &r);
  SectRgn(saved, narrowed, narrowed);
  SetClip(narrowed);
  f();
  SetClip(saved);
  DisposeRgn(saved);
  DisposeRgn(narrowed);
}

}  // namespace look
