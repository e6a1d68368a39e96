#include "editors/panes/pane_colours.h"

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/window_appearance.h"

namespace {

constexpr Pattern kSparseDots{{0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00}};

}  // namespace

RGBColor PaneColour(int16_t n, const RGBColor& fallback) {
  RGBColor rgb;
  return IsColourScreen() && GetStyleColour(n, &rgb) ? rgb : fallback;
}

void SetPaneForeColour(int16_t n) {
  RGBColor rgb;
  if (IsColourScreen() && GetStyleColour(n, &rgb)) RGBForeColor(&rgb);
  else ForeColor(blackColor);
}

void SetPaneBackColour(int16_t n) {
  RGBColor rgb;
  if (IsColourScreen() && GetStyleColour(n, &rgb)) RGBBackColor(&rgb);
  else BackColor(whiteColor);
}

namespace {

// Colour n on colour screens, else the pattern (none: solid).
void SetLinePen(int16_t n, const Pattern* pattern) {
  PenNormal();
  if (IsColourScreen()) SetPaneForeColour(n);
  else if (pattern) PenPat(pattern);
  else ForeColor(blackColor);
}

}  // namespace

void SetBarPen() {
  Pattern gray;
  SetLinePen(kBarLineColour, GetQDGlobalsGray(&gray));
}

void SetBeatPen() { SetLinePen(kBeatLineColour, &kSparseDots); }

void SetSubdivisionPen() {
  Pattern gray;
  SetLinePen(kSubdivisionLineColour, GetQDGlobalsGray(&gray));
}

void SetRulerPen() { SetLinePen(kRulerLineColour, nullptr); }
