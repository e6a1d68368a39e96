#include "shell/windows/tempo_display.h"

#include <algorithm>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/windows/appearance.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/tempo_factor.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/arithmetic.h"
#include "shell/base/position_formats.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/offscreen_images.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/info_panel.h"

int16_t gTempoKnobPosition = 0;
int16_t gTempoSliderWidth = kDefaultTempoSliderWidth;
int16_t gTempoKnobIcon = 0;

namespace {

constexpr int16_t kDisplayLeft = 22, kDisplayTop = 50, kDisplayWidth = 36, kDisplayHeight = 13;
constexpr int16_t kArrowTop = 50, kArrowSize = 13;
constexpr int16_t kDownArrowLeft = 1, kUpArrowLeft = 60;
constexpr int16_t kValueTextSize = 10;
constexpr int16_t kValueBaselineLift = 3;
// The theme's colours for the number: a brush and a text colour of the program's table.
constexpr ThemeBrush kTempoThemeBrush = 53;
constexpr ThemeTextColor kTempoThemeText = 44;
constexpr int16_t kArrowPoints[2][7][2] = {
    {{0, 3}, {4, 3}, {4, 0}, {9, 6}, {4, 12}, {4, 9}, {0, 9}},  // right
    {{9, 3}, {5, 3}, {5, 0}, {0, 6}, {5, 12}, {5, 9}, {9, 9}},  // left
};

void FillArrow(const int16_t (&points)[7][2], int16_t h, int16_t v) {
  PolyHandle poly = OpenPoly();
  MoveTo(int16_t(h + points[0][0]), int16_t(v + points[0][1]));
  for (int i = 1; i < 7; ++i) LineTo(int16_t(h + points[i][0]), int16_t(v + points[i][1]));
  LineTo(int16_t(h + points[0][0]), int16_t(v + points[0][1]));
  ClosePoly();
  Pattern black;
  FillPoly(poly, GetQDGlobalsBlack(&black));
  KillPoly(poly);
}

void GetKnobRect(int16_t position, Rect* rect) {
  int16_t left = int16_t(kTempoSliderLeft + position);
  *rect = Rect{kTempoSliderTop, left, kTempoSliderBottom, int16_t(left + kTempoKnobWidth)};
}

// The slider's width, never below 1 (it divides).
int16_t SliderWidth() { return std::max<int16_t>(gTempoSliderWidth, 1); }

void EraseKnob() {
  GetKnobRect(gTempoKnobPosition, &gScratchRect);
  RestoreBackgroundInScratch();
}

}  // namespace

void GetTempoDisplayRect(Rect* rect) {
  *rect = Rect{kDisplayTop, kDisplayLeft, int16_t(kDisplayTop + kDisplayHeight), int16_t(kDisplayLeft + kDisplayWidth)};
}

void SetArrowRect(int16_t h) { gScratchRect = Rect{kArrowTop, h, int16_t(kArrowTop + kArrowSize), int16_t(h + kArrowSize)}; }

void SetTempoArrowRect(int16_t which) { SetArrowRect(which == kTempoArrowDown ? kDownArrowLeft : kUpArrowLeft); }

void GetTempoSliderRect(Rect* rect) {
  *rect = Rect{kTempoSliderTop, kTempoSliderLeft, kTempoSliderBottom,
               int16_t(kTempoSliderLeft + SliderWidth() + kTempoKnobWidth)};
}

void DrawRightArrow(int16_t h, int16_t v) { FillArrow(kArrowPoints[0], h, v); }

void DrawLeftArrow(int16_t h, int16_t v) { FillArrow(kArrowPoints[1], h, v); }

void DrawTempoArrow(int16_t which, bool pressed) {
  SetTempoArrowRect(which);
  Rect r = gScratchRect;
  EraseRect(&r);
  ForeColor(blackColor);
  if (which == kTempoArrowDown) DrawLeftArrow(int16_t(r.left + 2), r.top);
  else DrawRightArrow(int16_t(r.left + 2), r.top);
  if (!pressed) return;
  PenMode(patXor);
  PaintRect(&r);
  PenNormal();
}

void DrawTempoValue(int32_t value, int16_t h, int16_t v, bool noPad) {
  Str255 text;
  int16_t pad = AppendDotToNumber(text, std::min(value, kHighestShownTempo));
  if (!noPad && pad > 0) h = int16_t(h + pad * CharWidth('0'));
  MoveTo(h, v);
  DrawString(text);
}

void DrawCounter(int32_t value) {
  ThemeDrawingState saved = nullptr;
  bool theme = IsColorDrawingOn();
  if (theme) {
    SaveThemeDrawingState(&saved);
    SetThemeBackground(kTempoThemeBrush, 32, true);
    SetThemeTextColor(kTempoThemeText, 32, true);
  }
  TextMode(srcCopy);
  TextSize(kValueTextSize);
  Rect r;
  GetTempoDisplayRect(&r);
  EraseRect(&r);
  FrameRect(&r);
  DrawTempoValue(value, int16_t(r.left + 2), int16_t(r.bottom - kValueBaselineLift), false);
  if (theme) RestoreThemeDrawingState(saved, true);
}

void DrawTempoSlider() {
  Rect groove{int16_t(kTempoSliderTop + 3), int16_t(kTempoSliderLeft + kTempoKnobWidth / 2),
              int16_t(kTempoSliderBottom - 3), int16_t(kTempoSliderLeft + SliderWidth() + kTempoKnobWidth / 2 + 1)};
  ForeColor(blackColor);
  FrameRect(&groove);
}

void DrawTempoKnob() {
  GetKnobRect(gTempoKnobPosition, &gScratchRect);
  if (gTempoKnobIcon != 0) {
    PlotColorIcon(gTempoKnobIcon);
    return;
  }
  ForeColor(blackColor);
  PaintRect(&gScratchRect);
}

void UpdateTempoSlider(int32_t tempo) {
  int16_t width = SliderWidth();
  int32_t position = std::clamp<int32_t>(MulDivRound(tempo - kSliderLowestTempo, width, kSliderTempoSpan), 0, width);
  MoveTempoKnob(int16_t(position));
}

void MoveTempoKnob(int16_t position) {
  if (position != gTempoKnobPosition) EraseKnob();
  gTempoKnobPosition = position;
  DrawTempoSlider();
  DrawTempoKnob();
}

void RedrawTempoDisplay() {
  int32_t scaled = GetScaledTempo();
  UpdateTempoSlider(scaled);
  DrawCounter(scaled);
}

void RedrawCounter(uint16_t factor) {
  SetTempoFactor(factor);
  if (!GetAppWindowRef(&gInfoPanelRecord)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  Rect savedScratch = gScratchRect;
  SetPortToAppWindow(&gInfoPanelRecord);
  BeginScreenDrawing();
  ClipToInfoPanel();
  RedrawTempoDisplay();
  EndScreenDrawing();
  gScratchRect = savedScratch;
  if (saved) SetPort(saved);
}

void DrawCounterTempoArea() {
  gCounterShownTempo = GetScaledTempo();
  Rect slider;
  GetTempoSliderRect(&slider);
  gScratchRect = slider;
  RestoreBackgroundInScratch();
  DrawTempoArrow(kTempoArrowDown, false);
  DrawTempoArrow(kTempoArrowUp, false);
  RedrawTempoDisplay();
}
