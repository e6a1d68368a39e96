// The labels and grid lines of a lane's scale, drawn from the scale ComputeLaneScale built.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editors/automation/focused_plugin.h"
#include "editors/lanes/lane_scale.h"
#include "editors/panes/pane_colours.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/number_text.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"

namespace {

constexpr int16_t kLaneScaleColour = 24;
constexpr int16_t kLabelLeft = 28;      // the pen's h left of the origin x
constexpr int16_t kLabelRightGap = 2;   // the labels end this far left of the origin x
constexpr int16_t kNameLeft = 26;       // the two-state names start this far left of it
constexpr int16_t kLabelBaseline = 4;   // below the value's y
constexpr int16_t kLabelBoxBottom = 6;  // below the value's y
constexpr int32_t kMaxScaleLabels = 1024;

// Cuts text to at most width characters, without a trailing point.
void CutNumberText(char* text, size_t width) {
  if (std::strlen(text) > width) text[width] = 0;
  size_t n = std::strlen(text);
  if (n > 0 && text[n - 1] == '.') text[n - 1] = 0;
}

// A parameter value in at most 4 characters: thousands as "K", millions as "M".
void FormatParameterValue(double value, StringPtr text) {
  const char* suffix = "";
  if (std::fabs(value) > 1000000) {
    value /= 1000000;
    suffix = "M";
  } else if (std::fabs(value) > 1000) {
    value /= 1000;
    suffix = "K";
  }
  char number[64];
  std::snprintf(number, sizeof number, "%4g", value);
  char* start = number;
  while (*start == ' ') ++start;
  CutNumberText(start, *suffix ? 3 : 4);
  char whole[72];
  std::snprintf(whole, sizeof whole, "%s%s", start, suffix);
  CopyCStringToPascal(whole, text);
}

void DrawLabel(ConstStr255Param text, int16_t y) {
  int16_t origin = gTimelineFrame.originX, right = int16_t(origin - kLabelRightGap);
  int16_t bottom = int16_t(y + kLabelBoxBottom);
  Rect box{int16_t(bottom - GetLineMetrics(nullptr)), int16_t(origin - kLabelLeft), bottom, right};
  EraseRect(&box);
  MoveTo(int16_t(right - StringWidth(text)), int16_t(y + kLabelBaseline));
  DrawString(text);
}

// The names of the two states at one quarter and three quarters of the range.
void DrawTwoStateNames() {
  Str255 name;
  for (int16_t item = 1; item <= 2; ++item) {
    GetIndString(name, kTwoStateLaneStrList, item);
    float at = gLaneScale.scaleMin + gLaneScale.scaleRange * (item == 1 ? 0.25f : 0.75f);
    MoveTo(int16_t(gTimelineFrame.originX - kNameLeft), int16_t(LaneScaleValueToY(at) + kLabelBaseline));
    DrawString(name);
  }
}

void PaintGridLine(int16_t y) {
  Rect line{y, gTimelineFrame.originX, int16_t(y + 1), gScratchRect.right};
  if (line.right > line.left) PaintRect(&line);
}

}  // namespace

int16_t LaneScaleValueToY(float value) {
  const LaneScaleRecord& s = gLaneScale;
  float offset = value - s.scaleMin;
  if (s.scaleRange == std::floor(s.scaleRange) && s.scaleRange < 2147483647.0f && offset >= 0)
    return ValueToLaneY(int32_t(offset), int32_t(s.scaleRange));
  int32_t b = gScratchRect.bottom - kLaneBottomInset, t = gScratchRect.top;
  if (!(s.scaleRange > 0) || offset >= s.scaleRange) return int16_t(offset >= s.scaleRange ? t : b);
  double scaled = std::floor(double(b - t) * double(offset) / double(s.scaleRange) + 0.5);
  return int16_t(std::clamp<double>(b - scaled, INT16_MIN, INT16_MAX));
}

bool LaneScaleLabelAt(const LaneScaleSteps& steps, int32_t k, float* value, float* t) {
  if (!(steps.step > 0) || k < 0 || k >= kMaxScaleLabels) return false;
  float v = gLaneScale.scaleMin + float(k) * steps.step;
  if (v > gLaneScale.scaleMax + steps.step / 1024) return false;  // float steps may miss the top
  *value = std::min(v, gLaneScale.scaleMax);
  *t = steps.firstLabel + float(k) * steps.increment;
  return true;
}

void FormatGainDecibels(double gain, int16_t width, StringPtr text) {
  if (!(gain > 0)) {
    CopyCStringToPascal("-oo", text);
    return;
  }
  char number[64];
  std::snprintf(number, sizeof number, "%.1f", 20.0 * std::log10(gain));
  CutNumberText(number, size_t(std::max<int16_t>(width, 1)));
  CopyCStringToPascal(number, text);
}

void FormatLaneScaleLabel(int16_t style, float t, StringPtr text) {
  char number[64];
  switch (style) {
    case kLaneLabelDecibels: FormatGainDecibels(double(t) / 32768.0, 4, text); return;
    case kLaneLabelTwoState: text[0] = 0; return;
    case kLaneLabelParameter: FormatParameterValue(MapLaneValueToParameter(gLaneController, t), text); return;
    default:
      std::snprintf(number, sizeof number, "%.3f", double(t));
      CopyCStringToPascal(number, text);
      TrimTrailingZeros(text);
      if (text[0] == 2 && text[1] == '-' && text[2] == '0') CopyCStringToPascal("0", text);  // "-0.000"
  }
}

void DrawLaneScaleLabels(const LaneScaleSteps& steps, uint16_t flags) {
  SetPaneForeColour(kLaneScaleColour);
  TextMode(srcCopy);
  MoveTo(gTimelineFrame.originX, gScratchRect.top);
  LineTo(gTimelineFrame.originX, gScratchRect.bottom);
  bool labels = flags & kDrawLaneLabels;
  if (labels && steps.style == kLaneLabelTwoState) DrawTwoStateNames();
  float v = 0, t = 0;
  for (int32_t k = 0; LaneScaleLabelAt(steps, k, &v, &t); ++k) {
    int16_t y = LaneScaleValueToY(v);
    if (labels && steps.style != kLaneLabelTwoState) {
      Str255 text;
      FormatLaneScaleLabel(steps.style, t, text);
      DrawLabel(text, y);
    }
    if (flags & kDrawLaneGridLines) PaintGridLine(y);
  }
  ForeColor(blackColor);
}

void DrawLaneScale(int32_t kind, uint16_t flags) {
  LaneScaleSteps steps = ComputeLaneScale(kind);
  if (steps.step != 0) DrawLaneScaleLabels(steps, flags);
}

void DrawCurrentLaneScaleColumn() {
  Rect saved = gScratchRect;
  LoadCurrentPaneRect();
  gScratchRect.bottom = int16_t(gScratchRect.bottom - 1);  // as the pane's content is drawn
  DrawLaneScale(GetCurrentLaneKind(), kDrawLaneLabels);
  gScratchRect = saved;
}
