#include "shell/drawing/color_helpers.h"

#include <algorithm>

#include "platform/dialogs/color_picker.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "shell/base/app_state.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"

int32_t gThemeStateDepth = 0;

namespace {

constexpr int32_t kContrastBand = 26367;
constexpr int32_t kLightLuminance = 61439;

constexpr RGBColor kPalette[8] = {
    {0xFFFF, 0, 0},      {0, 0xFFFF, 0},      {0, 0, 0xFFFF},      {0xFFFF, 0xFFFF, 0},
    {0xFFFF, 0, 0xFFFF}, {0, 0xFFFF, 0xFFFF}, {0xFFFF, 0x8000, 0}, {0xFFFF, 0xFFFF, 0xC000}};

uint16_t Clamp16(int32_t v) { return uint16_t(std::clamp(v, 0, 65535)); }

struct Hsl {
  double h, s, l;
};

Hsl ToHsl(const RGBColor& c) {
  double r = c.red / 65535.0, g = c.green / 65535.0, b = c.blue / 65535.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  Hsl out{0, 0, (mx + mn) / 2};
  double d = mx - mn;
  if (d <= 0) return out;
  out.s = out.l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
  if (mx == r) out.h = (g - b) / d + (g < b ? 6 : 0);
  else if (mx == g) out.h = (b - r) / d + 2;
  else out.h = (r - g) / d + 4;
  out.h /= 6;
  return out;
}

double HueToRgb(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}

RGBColor FromHsl(const Hsl& c) {
  auto component = [](double v) { return Clamp16(int32_t(v * 65535.0 + 0.5)); };
  if (c.s <= 0) return RGBColor{component(c.l), component(c.l), component(c.l)};
  double q = c.l < 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s;
  double p = 2 * c.l - q;
  return RGBColor{component(HueToRgb(p, q, c.h + 1.0 / 3)), component(HueToRgb(p, q, c.h)),
                  component(HueToRgb(p, q, c.h - 1.0 / 3))};
}

}  // namespace

bool IsColorDrawingOn() { return gAppState[0] & kAppWord0ColourDrawing; }

void SetForeRGBIfColor(const RGBColor* rgb) {
  if (IsColorDrawingOn()) RGBForeColor(rgb);
}

void SetBackRGBIfColor(const RGBColor* rgb) {
  if (IsColorDrawingOn()) RGBBackColor(rgb);
}

void SetBackWhite() {
  Pattern white;
  BackPat(GetQDGlobalsWhite(&white));
  static constexpr RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};
  SetBackRGBIfColor(&kWhite);
}

const RGBColor* GetPaletteColor(int32_t n) {
  static RGBColor result;
  if (n <= 0) {
    result = RGBColor{0xE000, 0xE000, 0xE000};
    return &result;
  }
  int32_t shift = ((n - 1) % 16) / 8;
  const RGBColor& c = kPalette[(n - 1) % 8];
  result = RGBColor{uint16_t(c.red >> shift), uint16_t(c.green >> shift), uint16_t(c.blue >> shift)};
  return &result;
}

void SetPaletteColorIfColor(int32_t n, bool back) {
  if (!IsColorDrawingOn()) return;
  if (back) RGBBackColor(GetPaletteColor(n));
  else RGBForeColor(GetPaletteColor(n));
}

int32_t GetColorLuminance(const RGBColor* rgb) {
  return int32_t(rgb->red) + int32_t(rgb->green) + int32_t(rgb->blue);
}

bool IsDarkColor(const RGBColor* rgb) { return GetColorLuminance(rgb) < 3 * 65535 / 2; }

void BlendRGB(RGBColor* out, const RGBColor* a, const RGBColor* b, int32_t percent) {
  auto mix = [percent](int32_t x, int32_t y) { return Clamp16(x + (y - x) * percent / 100); };
  *out = RGBColor{mix(a->red, b->red), mix(a->green, b->green), mix(a->blue, b->blue)};
}

void AdjustColorLightness(RGBColor* rgb, int32_t delta) {
  Hsl c = ToHsl(*rgb);
  int32_t lightness = std::clamp(int32_t(c.l * 65535.0 + 0.5) + delta, 0, 65535);
  c.l = lightness / 65535.0;
  *rgb = FromHsl(c);
}

void PickContrastForeColor() {
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  int32_t difference = GetColorLuminance(&fore) - GetColorLuminance(&back);
  if (difference > kContrastBand || difference < -kContrastBand) return;
  if (GetColorLuminance(&fore) > kLightLuminance) {
    AdjustColorLightness(&fore, -32768);
  } else {
    fore.red = Clamp16(fore.red + 24576);
    fore.green = Clamp16(fore.green + 24576);
    fore.blue = Clamp16(fore.blue + 24576);
  }
  RGBForeColor(&fore);
}

void RGB8ToRGBColor(const uint8_t* rgb8, RGBColor* out) {
  *out = RGBColor{uint16_t(rgb8[0] * 257), uint16_t(rgb8[1] * 257), uint16_t(rgb8[2] * 257)};
}

void RGBColorToRGB8(const RGBColor* in, uint8_t* rgb8) {
  auto narrow = [](uint16_t c) { return uint8_t((uint32_t(c) * 255 + 32767) / 65535); };
  rgb8[0] = narrow(in->red);
  rgb8[1] = narrow(in->green);
  rgb8[2] = narrow(in->blue);
}

bool PickColorWithDialog(ConstStr255Param prompt, uint8_t* rgb8) {
  RGBColor in, out;
  RGB8ToRGBColor(rgb8, &in);
  if (!GetColor(Point{}, prompt, &in, &out)) return false;
  RGBColorToRGB8(&out, rgb8);
  return true;
}

void SetHiliteBackColor() {
  if (gScreenDepthIndex > 2) {
    Pattern white;
    BackPat(GetQDGlobalsWhite(&white));
    RGBColor hilite;
    LMGetHiliteRGB(&hilite);
    RGBBackColor(&hilite);
    static constexpr RGBColor kBlack{0, 0, 0};
    static constexpr RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};
    RGBForeColor(IsDarkColor(&hilite) ? &kWhite : &kBlack);
  }
  TextMode(0);
}

void ClearHiliteModeBit() { LMSetHiliteMode(uint8_t(LMGetHiliteMode() & 127)); }

void InvertScratchRect() {
  ClearHiliteModeBit();
  InvertRect(&gScratchRect);
}

void InvertScratchRectIfHilite() {
  if (gAppState[0] & kAppWord0HighlightColour) InvertScratchRect();
  else InvertRect(&gScratchRect);
}

void InvertScratchRoundRect(int16_t radius) {
  ClearHiliteModeBit();
  InvertRoundRect(&gScratchRect, radius, radius);
}

void SaveThemeDrawingState(ThemeDrawingState* state) {
  GetThemeDrawingState(state);
  ++gThemeStateDepth;
}

void RestoreThemeDrawingState(ThemeDrawingState state, bool dispose) {
  if (!state) return;
  if (!dispose) {
    SetThemeDrawingState(state, false);
    return;
  }
  // A state restored with dispose is always disposed, so that none is left behind, and
  // the count never goes below zero.
  if (gThemeStateDepth >= 1) SetThemeDrawingState(state, true);
  else DisposeThemeDrawingState(state);
  if (gThemeStateDepth > 0) --gThemeStateDepth;
}
