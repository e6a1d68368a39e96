#include "editors/panes/pane_colours.h"

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/window_appearance.h"

CIconHandle gKeyboardIcon = nullptr;

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

void SetBarPen() {
  PenNormal();
  Pattern gray;
  if (IsColourScreen()) SetPaneForeColour(kBarLineColour);
  else PenPat(GetQDGlobalsGray(&gray));
}

void SetBeatPen() {
  PenNormal();
  if (IsColourScreen()) SetPaneForeColour(kBeatLineColour);
  else PenPat(&kSparseDots);
}
