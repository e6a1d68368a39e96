#include "shell/drawing/panel_drawing.h"

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/gworlds.h"
#include "platform/quickdraw/pens.h"
#include "platform/windows/appearance.h"
#include "shell/base/app_state.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/transport_images.h"
#include "shell/windows/window_appearance.h"

namespace {

constexpr int32_t kEdgeDelta = 16000;
constexpr int32_t kThemeLampDelta = -15000;
constexpr int16_t kGlyphHalf = 3;
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kPanelGrey{0xC000, 0xC000, 0xC000};

bool gLampLit = true;

// Fore and back colours saved for the life of the object.
struct SavedColours {
  RGBColor fore, back;
  SavedColours() {
    GetForeColor(&fore);
    GetBackColor(&back);
  }
  ~SavedColours() {
    RGBForeColor(&fore);
    RGBBackColor(&back);
  }
};

RGBColor TableColour(int16_t index) {
  RGBColor rgb = kPanelGrey;
  GetStyleColour(index, &rgb);
  return rgb;
}

void Edge(const RGBColor& colour, int16_t h1, int16_t v1, int16_t h2, int16_t v2) {
  RGBForeColor(&colour);
  MoveTo(h1, v1);
  LineTo(h2, v2);
}

// The box's top and left edges in one colour, bottom and right in the other.
void DrawEdges(const Rect& r, const RGBColor& topLeft, const RGBColor& bottomRight) {
  int16_t right = int16_t(r.right - 1), bottom = int16_t(r.bottom - 1);
  Edge(topLeft, r.left, bottom, r.left, r.top);
  Edge(topLeft, r.left, r.top, right, r.top);
  Edge(bottomRight, int16_t(r.left + 1), bottom, right, bottom);
  Edge(bottomRight, right, bottom, right, int16_t(r.top + 1));
}

// Light edges top-left and dark ones bottom-right around a face of the colour; pressed swaps
// them.
void DrawFaceEdges(const Rect& r, const RGBColor& face, bool pressed) {
  RGBColor light = face, dark = face;
  AdjustColorLightness(&light, kEdgeDelta);
  AdjustColorLightness(&dark, -kEdgeDelta);
  DrawEdges(r, pressed ? dark : light, pressed ? light : dark);
}

// A small filled triangle pointing left (glyph 1) or right (glyph 2) around (h, v).
void DrawArrowGlyph(int16_t glyph, int16_t h, int16_t v) {
  RGBForeColor(&kBlack);
  for (int16_t k = 0; k <= kGlyphHalf; ++k) {
    int16_t x = glyph == 1 ? int16_t(h - kGlyphHalf / 2 + k) : int16_t(h + kGlyphHalf / 2 - k);
    MoveTo(x, int16_t(v - k));
    LineTo(x, int16_t(v + k));
  }
}

void LampColours(RGBColor colours[3]) {
  for (int32_t i = 0; i < 3; ++i) GetStyleRGB(kStyleLampColours + 6 * i, &colours[i]);
  if (IsAppearanceThemeOn()) {
    GetThemeTextColor(kThemeTextColorDialogActive, 32, true, &colours[0]);
    AdjustColorLightness(&colours[0], kThemeLampDelta);
  }
  if (!gLampLit)
    for (int32_t i = 0; i < 3; ++i) AdjustColorLightness(&colours[i], kUnlitLampDelta);
}

}  // namespace

void DrawBevelBox(int16_t colourIndex) {
  SavedColours saved;
  Rect r = gScratchRect;
  r.bottom = int16_t(r.bottom - 1);
  r.right = int16_t(r.right - 1);
  if (r.bottom <= r.top || r.right <= r.left) return;
  RGBColor face = TableColour(colourIndex);
  RGBBackColor(&face);
  EraseRect(&r);
  if (gScreenDepthIndex < kPanelColourLevel) return;
  DrawFaceEdges(r, face, false);
}

void DrawButtonFace(int16_t colourIndex, int16_t glyph, int32_t colourLevel, bool pressed, int16_t textOffset) {
  SavedColours saved;
  Rect r = gScratchRect;
  if (r.bottom - r.top < 3 || r.right - r.left < 3) return;
  RGBColor face = TableColour(colourIndex);
  RGBBackColor(&face);
  EraseRect(&r);
  if (colourLevel >= kPanelColourLevel) {
    DrawFaceEdges(r, face, pressed);
  } else {
    RGBForeColor(&kBlack);
    FrameRect(&r);
  }
  int16_t h = int16_t((r.left + r.right) / 2);
  int16_t v = int16_t(r.bottom - kGlyphHalf - 3 + textOffset + (pressed ? 1 : 0));
  DrawArrowGlyph(glyph, h, v);
}

void DrawPanelLamp() {
  SavedColours saved;
  Rect r = gScratchRect;
  if (gScreenDepthIndex < kPanelColourLevel) {
    RGBForeColor(&kBlack);
    FrameOval(&r);
    return;
  }
  RGBColor colours[3];
  LampColours(colours);
  RGBForeColor(&colours[0]);
  PaintOval(&r);
  InsetRect(&r, 1, 1);
  RGBForeColor(&colours[1]);
  PaintOval(&r);
  InsetRect(&r, int16_t((r.right - r.left) / 4), int16_t((r.bottom - r.top) / 4));
  RGBForeColor(&colours[2]);
  PaintOval(&r);
}

bool IsPanelLampLit() { return gLampLit; }

void SetPanelLampLit(bool lit) {
  gLampLit = lit;
  Rect lamp;
  GetStyleRect(kStyleLampRectCopy, &lamp);
  GWorldPtr strip = GetComposedStripImage();
  if (!strip || lamp.bottom <= lamp.top) return;
  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&port, &device);
  Rect savedScratch = gScratchRect;
  SetGWorld(strip, nullptr);
  gScratchRect = lamp;
  DrawPanelLamp();
  gScratchRect = savedScratch;
  SetGWorld(port, device);
}
