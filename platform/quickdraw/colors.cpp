#include "platform/quickdraw/colors.h"

#include "platform/quickdraw/qd_internal.h"

using namespace qd_internal;

namespace {

RGBColor gHiliteRGB{0xA4A4, 0xCCCC, 0xFFFF};
UInt8 gHiliteMode = 0xFF;

RGBColor ClassicColor(long color, bool fore) {
  switch (color) {
    case blackColor: return RGBColor{0, 0, 0};
    case whiteColor: return RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    case redColor: return RGBColor{0xFFFF, 0, 0};
    case greenColor: return RGBColor{0, 0xFFFF, 0};
    case blueColor: return RGBColor{0, 0, 0xFFFF};
    case cyanColor: return RGBColor{0, 0xFFFF, 0xFFFF};
    case magentaColor: return RGBColor{0xFFFF, 0, 0xFFFF};
    case yellowColor: return RGBColor{0xFFFF, 0xFFFF, 0};
    default: return fore ? RGBColor{0, 0, 0} : RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
  }
}

UInt16 Expand(uint32_t channel) { return UInt16(channel * 257); }

}  // namespace

UInt32 PixelFromRGB(const RGBColor& c) {
  auto shrink = [](UInt16 v) { return (uint32_t(v) * 255 + 32767) / 65535; };
  return 0xFF000000u | (shrink(c.red) << 16) | (shrink(c.green) << 8) | shrink(c.blue);
}

RGBColor RGBFromPixel(UInt32 pixel) {
  return RGBColor{Expand((pixel >> 16) & 0xFF), Expand((pixel >> 8) & 0xFF), Expand(pixel & 0xFF)};
}

void RGBForeColor(const RGBColor* color) {
  if (color) CurrentPort()->rgbFgColor = *color;
}

void RGBBackColor(const RGBColor* color) {
  if (color) CurrentPort()->rgbBkColor = *color;
}

void GetForeColor(RGBColor* color) {
  if (color) *color = CurrentPort()->rgbFgColor;
}

void GetBackColor(RGBColor* color) {
  if (color) *color = CurrentPort()->rgbBkColor;
}

void ForeColor(long color) { CurrentPort()->rgbFgColor = ClassicColor(color, true); }
void BackColor(long color) { CurrentPort()->rgbBkColor = ClassicColor(color, false); }

void OpColor(const RGBColor* color) {
  if (color) CurrentPort()->rgbOpColor = *color;
}

void HiliteColor(const RGBColor* color) {
  if (color) gHiliteRGB = *color;
}

void LMGetHiliteRGB(RGBColor* color) {
  if (color) *color = gHiliteRGB;
}

void LMSetHiliteRGB(const RGBColor* color) {
  if (color) gHiliteRGB = *color;
}

UInt8 LMGetHiliteMode() { return gHiliteMode; }
void LMSetHiliteMode(UInt8 mode) { gHiliteMode = mode; }

void GetCPixel(short h, short v, RGBColor* color) {
  if (!color) return;
  CGrafPtr port = CurrentPort();
  const PixMap& pm = port->pixMap;
  int x = PixelX(pm, h), y = PixelY(pm, v);
  if (!pm.baseAddr || x < 0 || y < 0 || x >= PixMapWidth(pm) || y >= PixMapHeight(pm)) {
    *color = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    return;
  }
  *color = RGBFromPixel(PixelRow(pm, y)[x]);
}

void SetCPixel(short h, short v, const RGBColor* color) {
  if (!color) return;
  CGrafPtr port = CurrentPort();
  const PixMap& pm = port->pixMap;
  PixRegion area;
  PortDrawableArea(port, &area);
  int x = PixelX(pm, h), y = PixelY(pm, v);
  if (!pixman_region32_contains_point(area.get(), x, y, nullptr)) return;
  PixelRow(pm, y)[x] = PixelFromRGB(*color);
  NotePixelsDrawn(pm, x, y, x + 1, y + 1);
}
