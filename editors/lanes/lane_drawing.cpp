#include "editors/lanes/lane_drawing.h"

#include <algorithm>

#include "editing/event_filters.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_controllers.h"
#include "editors/lanes/lane_scale.h"
#include "editors/panes/pane_colours.h"
#include "editors/panes/pane_content.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/toolbar/toolbar_layout.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/text.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "shell/dialogs/note_names.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/window_appearance.h"
#include "song/instruments/instrument_table.h"

bool gLaneBackdropHidden = false;
uint8_t gLaneBackdropColour[3] = {0xD8, 0xD8, 0xE8};
Rect gLastDrawnLaneRect{};

namespace {

constexpr int16_t kDotSize = 7;
constexpr int32_t kMostGridLines = 1024;

int16_t LaneY(int32_t value, int32_t range) { return ValueToLaneY(value, range); }

int32_t ColumnAtX(const int32_t* columns, int32_t x) { return LaneColumnValue(columns, x - gTimelineFrame.originX); }

void HLine(int32_t from, int32_t to, int16_t y) {
  MoveTo(ClampToQDRange(from), y);
  LineTo(ClampToQDRange(to), y);
}

void VLine(int32_t x, int16_t from, int16_t to) {
  MoveTo(ClampToQDRange(x), from);
  LineTo(ClampToQDRange(x), to);
}

// The walk both graphs share: segment calls for each run of one value (start x, end x,
// value), and change calls where a value follows another (x, old value, new value).
template <typename Segment, typename Change>
void WalkLaneRuns(const int32_t* columns, int32_t limit, int16_t left, int16_t right, Segment segment, Change change) {
  int32_t running = ColumnAtX(columns, left), start = left;
  for (int32_t x = left + 1; x < right; ++x) {
    int32_t v = ColumnAtX(columns, x);
    if (v < limit && v != running) {
      if (running < limit) {
        segment(start, x - 1, running);
        change(x, running, v);
      }
      running = v;
      start = x;
    } else if (v >= limit && running >= limit) {
      start = x + 1;
    }
  }
  if (running < limit && start <= right) segment(start, right, running);
}

void PaintLaneGridLines(const LaneScaleSteps& steps, int32_t range, int16_t left, int16_t right) {
  if (!(steps.step > 0.0f)) return;
  SetBeatPen();
  int32_t lines = 0;
  for (float v = gLaneScale.scaleMin; v <= gLaneScale.scaleMax && lines < kMostGridLines; v += steps.step, ++lines) {
    int16_t y = LaneY(int32_t(v - gLaneScale.scaleMin), range);
    Rect line{y, left, int16_t(y + 1), right};
    PaintRect(&line);
  }
  PenNormal();
}

void DrawGraph(int32_t kind, const int32_t* columns, int16_t left, int16_t right) {
  RGBColor graph = GetLaneGraphColour();
  RGBForeColor(&graph);
  int32_t limit = GetLaneValueLimit(kind), range = GetLaneMappingRange(kind);
  if (kind == kLaneProgram) {
    DrawLaneDots(columns, limit, range, left, right);
  } else {
    PenSize(2, 2);
    DrawLaneSteps(columns, limit, range, left, right);
  }
  PenNormal();
  ForeColor(blackColor);
}

void DrawTitleText(int32_t kind) {
  Str255 text{};
  switch (kind) {
    case kLaneController:
      NumToString(gLaneController, text);
      text[++text[0]] = '.';
      DrawString(text);
      TextFace(bold);
      DrawString(GetControllerName(gLaneController));
      TextFace(normal);
      return;
    case kLanePluginParameter: DrawString(GetLaneParameterName(gLaneController)); return;
    case kLanePolyPressure: DrawString(MakeNoteName(text, gFilterPolyKey, 0)); return;
    case kLaneControllerAutomation:
    case kLaneControllerAutomation2:
      if (gLaneController >= 0 && gLaneController < gAuxBusCount)
        if (uint8_t* bus = GetInstrumentRecord(gInstrumentCount + gLaneController)) DrawString(InstrumentView(bus).Name());
      return;
    default: return;
  }
}

}  // namespace

RGBColor GetLaneGraphColour() {
  RGBColor rgb{0, 0, 0};
  if (!IsColourScreen() || !GetStyleColour(kLaneGraphColour, &rgb)) rgb = RGBColor{0, 0, 0};
  return rgb;
}

void DrawLaneSteps(const int32_t* columns, int32_t limit, int32_t range, int16_t left, int16_t right) {
  WalkLaneRuns(
      columns, limit, left, right, [&](int32_t from, int32_t to, int32_t v) { HLine(from, to, LaneY(v, range)); },
      [&](int32_t x, int32_t from, int32_t to) { VLine(x, LaneY(from, range), LaneY(to, range)); });
}

void DrawLaneDots(const int32_t* columns, int32_t limit, int32_t range, int16_t left, int16_t right) {
  bool scrolled = gTimelineLeftTick > 1;
  WalkLaneRuns(
      columns, limit, left, right,
      [&](int32_t from, int32_t to, int32_t v) {
        int16_t y = LaneY(v, range);
        if (!(scrolled && from <= left)) {
          int16_t x = ClampToQDRange(from);
          Rect dot{int16_t(y - kDotSize / 2), int16_t(x - kDotSize / 2), int16_t(y + kDotSize / 2 + 1),
                   int16_t(x + kDotSize / 2 + 1)};
          PaintOval(&dot);
        }
        HLine(from, to, y);
      },
      [](int32_t, int32_t, int32_t) {});
}

OSErr DrawLaneContents(bool reuse, int16_t left, int16_t right) {
  LaneColumns& c = gLaneColumns;
  int32_t kind = GetCurrentLaneKind();
  SizeLaneColumns();
  gLastDrawnLaneRect = gScratchRect;
  DrawLaneBackdrop(kind, left, right);
  LaneScaleSteps steps = ComputeLaneScale(kind);
  int32_t* savedTarget = c.target;
  float savedRange = gLaneScale.scaleRange;
  Ptr scratch = nullptr;
  if (!reuse) {
    scratch = NewPtrClear(Size(c.count) * 4 + 4);
    if (!scratch) return MemError() ? MemError() : memFullErr;
    c.target = reinterpret_cast<int32_t*>(scratch);
    BuildLaneColumns(kind);
    DrawLaneScale(kind, kDrawLaneLabels);
  }
  PaintLaneGridLines(steps, GetLaneMappingRange(kind), left, right);
  DrawGraph(kind, reuse ? c.values.data() : c.target, left, right);
  if (scratch) {
    DisposePtr(scratch);
    c.target = savedTarget;
    gLaneScale.scaleRange = savedRange;
  } else {
    RecordLaneColumnState(kind);
  }
  return noErr;
}

void DrawLaneTitle() {
  if (GetPaneDrawingClass() != kLaneClass) return;
  Point o = GetToolbarOrigin();
  Rect box{int16_t(o.v + kLaneTitleTop), int16_t(o.h + kLaneTitleLeft), int16_t(o.v + kLaneTitleTop + kLaneTitleHeight),
           int16_t(o.h + kLaneTitleLeft + kLaneTitleWidth)};
  RgnHandle saved = NewRgn();
  GetClip(saved);
  ForeColor(blackColor);
  BackColor(whiteColor);
  Rect clip = box;
  clip.right = int16_t(clip.right - 1);
  ClipRect(&clip);
  EraseRect(&box);
  SetSmallTextFont();
  MoveTo(int16_t(box.left + 2), int16_t(box.bottom - 2));
  DrawTitleText(GetCurrentLaneKind());
  RestoreDefaultTextFont();
  SetClip(saved);
  DisposeRgn(saved);
}

void DrawBlackOnWhite(WindowRef window) {
  ForeColor(blackColor);
  BackColor(whiteColor);
  if (!window) return;
  SetPortWindowPort(window);
  Rect bounds{};
  GetWindowPortBounds(window, &bounds);
  ClipRect(&bounds);
}
