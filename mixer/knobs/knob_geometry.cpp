#include "mixer/knobs/knob_geometry.h"

#include <cmath>

#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "shell/base/arithmetic.h"
#include "shell/base/event_records.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/instrument_strip_layout.h"
#include "shell/windows/window_appearance.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int16_t kKnobBackWithThumb = 20;
constexpr int16_t kKnobBack = 33;
constexpr int16_t kKnobPointerColour = 37;

double SineOfDegrees(double degrees) { return std::sin(degrees * kPi / 180.0); }

}  // namespace

Point KnobCentre(const Rect* knob) {
  Point centre;
  centre.h = int16_t((int32_t(knob->left) + knob->right) >> 1);
  centre.v = int16_t((int32_t(knob->top) + knob->bottom) >> 1);
  return centre;
}

int16_t KnobRadius(const Rect* knob) { return int16_t((int32_t(knob->right) - knob->left) / 2); }

double KnobAngleFromMouse(const Rect* knob) {
  Point centre = KnobCentre(knob);
  double dy = double(int32_t(gLastMousePoint.v) - centre.v);
  double dx = double(int32_t(gLastMousePoint.h) - centre.h);
  double a = std::atan2(dy, dx) / kPi * 180.0 + 225.0;
  if (a < 0) a += 360.0;
  if (a >= 360.0) a -= 360.0;
  return a >= 315.0 ? 0.0 : a;
}

int32_t PanValueFromKnobAngle(double angle) {
  return ClampMidiByte(MulDivRound32(int32_t(angle), kPanKnobMaximum, kKnobTravel));
}

int32_t ParameterValueFromKnobAngle(double angle) {
  double v = angle * kParameterKnobMaximum / kKnobTravel;
  if (v < 0) return 0;
  if (v > kParameterKnobMaximum) return kParameterKnobMaximum;
  return int32_t(v);
}

int32_t KnobPointerDegrees(int32_t value, int32_t maximum) {
  if (maximum < 1) maximum = 1;
  return MulDivRound32(value, kKnobTravel, maximum) - 225;
}

Point KnobPointerOffset(int32_t degrees, int16_t radius) {
  Point offset;
  offset.h = int16_t(std::trunc(radius * SineOfDegrees(degrees + 90.0)));
  offset.v = int16_t(std::trunc(radius * SineOfDegrees(degrees)));
  return offset;
}

void DrawKnobPointer(int32_t value, int32_t maximum) {
  if (IsColourScreen()) SetPanelBackColor(gFaderThumbIcon ? kKnobBackWithThumb : kKnobBack);
  ThemeDrawingState state = nullptr;
  SaveThemeDrawingState(&state);
  Point centre = KnobCentre(&gScratchRect);
  MoveTo(centre.h, centre.v);
  Point end = KnobPointerOffset(KnobPointerDegrees(value, maximum), KnobRadius(&gScratchRect));
  SetForeColorIndex(kKnobPointerColour);
  PickContrastForeColor();
  PenSize(2, 2);
  Line(end.h, end.v);
  PenNormal();
  RestoreThemeDrawingState(state, true);
}
