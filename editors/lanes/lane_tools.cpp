#include "editors/lanes/lane_tools.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "editing/transforms/program_event_dialog.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_drawing.h"
#include "editors/lanes/lane_scale.h"
#include "editors/lanes/lane_writeback.h"
#include "editors/lanes/modifier_keys.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_readout.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/polar_points.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

int32_t gLastPencilX = 0;

namespace {

constexpr int16_t kWindowRightMargin = 15;  // the pane scroll bar's strip
constexpr int16_t kSpanRedrawMargin = 2;
constexpr int16_t kProgramCircleRadius = 3;  // the 7x7 circle around a program change
constexpr int32_t kLastMidiLane = 7;
constexpr int32_t kNoNoteName = 128;

// What the click asked for.
struct LaneGesture {
  Point press{};
  bool curve = false;
  bool orientation = false;
};

// The columns a gesture touched (window x).
struct LaneSpan {
  int32_t left = INT32_MAX;
  int32_t right = INT32_MIN;
  bool Touched() const { return left <= right; }
  void Add(int32_t x0, int32_t x1) {
    left = std::min({left, x0, x1});
    right = std::max({right, x0, x1});
  }
};

// The curve walker's point procedure has no context: the lane kind and the span it touched.
int32_t gCurveKind = 0;
LaneSpan gCurveSpan;

int32_t* ColumnAt(int32_t x) {
  int32_t i = LaneColumnIndex(x);
  if (i < 0 || size_t(i) >= gLaneColumns.values.size()) return nullptr;
  return &gLaneColumns.values[size_t(i)];
}

int32_t LaneValueAtY(int32_t kind, int16_t y) { return LaneYToValue(y, GetLaneRange(kind) - 1, 0); }

bool IsMidiLane(int32_t kind) { return kind >= 0 && kind <= kLastMidiLane; }

// Redraws the lane between x0 and x1 from the columns as the tools left them.
void RedrawLaneSpan(int32_t x0, int32_t x1) {
  Rect lane = gScratchRect;
  DrawLaneContents(true, int16_t(x0 - kSpanRedrawMargin), int16_t(x1 + kSpanRedrawMargin));
  gScratchRect = lane;
}

// The song position of the mouse x and the lane value at its y.
void ShowMouseReadouts(int32_t kind, Point mouse) {
  Rect lane = gScratchRect;
  DrawNoteReadout(XToTime(mouse.h), kNoNoteName, kNoReadoutEnd, kNoReadoutVelocity);
  gScratchRect = lane;
  DrawLaneValueReadout(kind, mouse.v, true);
  gScratchRect = lane;
}

void EraseLaneFrom(int32_t x) {
  Rect lane = gScratchRect;
  gScratchRect.left = int16_t(std::max<int32_t>(x, lane.left));
  FillSharedRect();
  gScratchRect = lane;
}

// --- the pencil -------------------------------------------------------------------------

struct PencilState {
  Point press{};
  int32_t pressValue = 0;
  int32_t lastValue = 0;
  LaneSpan span;
};

void PencilSample(int32_t kind, Point mouse, PencilState* s) {
  bool option = IsOptionKeyDown();
  int32_t v = option ? s->pressValue : LaneValueAtY(kind, mouse.v);
  int32_t x0 = gLastPencilX, x1 = mouse.h;
  int32_t redrawLeft = mouse.h, redrawRight = mouse.h;
  if (IsControlKeyDown() && !option) {
    FillLaneColumnsLinear(s->press.h, s->pressValue, mouse.h, v);
    x0 = s->press.h;
  } else if (kind == kLaneProgram) {
    EraseLaneFrom(mouse.h - 1);
    x0 = mouse.h;
    x1 = FillProgramRun(mouse.h, v);
    redrawLeft = mouse.h - 1;
    redrawRight = gScratchRect.right;
  } else {
    FillLaneColumnsLinear(gLastPencilX, s->lastValue, mouse.h, v);
  }
  if (IsMidiLane(kind)) SetLaneChannelColumns(x0, x1, gNoteEntryChannel);
  RedrawLaneSpan(std::min({x0, x1, redrawLeft}), std::max({x0, x1, redrawRight}));
  ShowMouseReadouts(kind, mouse);
  gLastPencilX = mouse.h;
  s->lastValue = v;
  s->span.Add(x0, x1);
}

// The touched span plus two columns (not past the window's right edge less the scroll bar),
// its empty columns filled, written back.
void FinishLaneSpan(int32_t kind, const LaneSpan& span) {
  if (!span.Touched()) return;
  int32_t right = span.right + kSpanRedrawMargin;
  if (right >= GetMainWindowRight() - kWindowRightMargin) right = span.right + 1;
  FillEmptyLaneColumns(kind, span.left, right);
  Rect r = gScratchRect;
  r.left = int16_t(span.left);
  r.right = int16_t(right);
  ApplyLaneColumns(r);
  SetSongModified();
}

// --- the curve --------------------------------------------------------------------------

struct ArcGeometry {
  int16_t cx = 0, cy = 0, rx = 0, ry = 0;
  int32_t start = 0;
};

// The quarter ellipse from a to b: its centre is the box corner at the lower point's x and the
// upper point's y (orientation 0) or at the upper point's x and the lower point's y.
ArcGeometry ArcBetween(Point a, Point b, bool orientation) {
  Point upper = a.v <= b.v ? a : b;
  Point lower = a.v <= b.v ? b : a;
  ArcGeometry g;
  g.rx = int16_t(std::abs(a.h - b.h));
  g.ry = int16_t(std::abs(a.v - b.v));
  if (!orientation) {
    g.cx = lower.h;
    g.cy = upper.v;
    g.start = upper.h >= lower.h ? 0 : 90;
  } else {
    g.cx = upper.h;
    g.cy = lower.v;
    g.start = lower.h >= upper.h ? 270 : 180;
  }
  return g;
}

void WalkArc(Point a, Point b, bool orientation, ArcPointProc proc) {
  ArcGeometry g = ArcBetween(a, b, orientation);
  WalkQuarterArc(g.cx, g.cy, g.rx, g.ry, g.start, proc);
}

void DrawArcPoint(int16_t x, int16_t y, bool first) {
  if (first) MoveTo(x, y);
  else LineTo(x, y);
}

Point ClampToLane(Point p) {
  p.h = std::clamp<int16_t>(p.h, gScratchRect.left, int16_t(gScratchRect.right - 1));
  return p;
}

// Follows the mouse with the arc drawn in exclusive-or; answers the release point.
Point TrackCurveArc(int32_t kind, Point press, bool orientation) {
  PenSize(2, 2);
  PenMode(patXor);
  Point shown = press;
  bool drawn = false;
  while (StillDown()) {
    Point mouse;
    GetMouse(&mouse);
    mouse = ClampToLane(mouse);
    if (drawn && mouse.h == shown.h && mouse.v == shown.v) continue;
    if (drawn) WalkArc(press, shown, orientation, DrawArcPoint);
    WalkArc(press, mouse, orientation, DrawArcPoint);
    drawn = true;
    shown = mouse;
    ShowMouseReadouts(kind, mouse);
  }
  if (drawn) WalkArc(press, shown, orientation, DrawArcPoint);
  Point release;
  GetMouse(&release);
  return ClampToLane(release);
}

// --- the gesture's undoable step --------------------------------------------------------

int32_t UndoKindForLane(int32_t kind) {
  if (kind == kLanePitchBend) return kUndoKindBendLaneEdit;
  return kind == kLaneTempo ? kUndoKindTempoLaneEdit : kUndoKindLaneEdit;
}

int32_t RunLaneGesture(void* context) {
  auto* g = static_cast<LaneGesture*>(context);
  SetCurrentUndoKind(UndoKindForLane(GetCurrentLaneKind()));
  if (g->curve) TrackLaneCurve(g->press, g->orientation);
  else TrackLanePencil(g->press);
  return 0;
}

// False when the step could not be opened (nothing was drawn).
bool RunLaneGestureStep(LaneGesture* g) {
  int32_t kind = GetCurrentLaneKind();
  if (kind == kLaneTempo) return RunUndoableEditOverAllTracks(RunLaneGesture, g) == noErr;
  if (gCurrentPaneSlot > 0) return RunUndoableTimeSelectionEdit(RunLaneGesture, g) != 0;
  return RunUndoableEditForCurrentTrack(RunLaneGesture, g) != 0;
}

}  // namespace

void LoadLaneEventRect() {
  LoadCurrentPaneRect();
  gScratchRect.bottom = int16_t(gScratchRect.bottom - 1);
  gScratchRect.left = std::max(gScratchRect.left, gTimelineFrame.originX);
}

void FillLaneColumnsLinear(int32_t x0, int32_t v0, int32_t x1, int32_t v1) {
  if (x0 == x1) {
    if (int32_t* c = ColumnAt(x1)) *c = v1;  // the latest sample's value
    return;
  }
  if (x1 < x0) {
    std::swap(x0, x1);
    std::swap(v0, v1);
  }
  int32_t dx = std::max(x1 - x0, 1);
  for (int32_t i = 0; i <= x1 - x0; ++i) {
    if (int32_t* c = ColumnAt(x0 + i)) *c = int32_t(v0 + int64_t(v1 - v0) * i / dx);
  }
}

int32_t FillProgramRun(int32_t x, int32_t v) {
  int32_t* c = ColumnAt(x);
  if (!c) return x;
  int32_t old = *c;
  int32_t last = x;
  *c = v;
  for (int32_t next = x + 1; (c = ColumnAt(next)) && *c == old && old != v; ++next) {
    *c = v;
    last = next;
  }
  return last;
}

void FillEmptyLaneColumns(int32_t kind, int32_t left, int32_t right) {
  int32_t noValue = GetLaneNoValueThreshold(kind);
  int32_t last = noValue;
  for (int32_t x = left; x < right; ++x) {
    int32_t* c = ColumnAt(x);
    if (!c) continue;
    if (*c < noValue) last = *c;
    else if (last < noValue) *c = last;
  }
}

void SetLaneChannelColumns(int32_t x0, int32_t x1, uint8_t channel) {
  for (int32_t x = std::min(x0, x1); x <= std::max(x0, x1); ++x) {
    int32_t i = LaneColumnIndex(x);
    if (i >= 0 && size_t(i) < gLaneColumns.channels.size()) gLaneColumns.channels[size_t(i)] = channel;
  }
}

void SetColumnsToMouseValue(int16_t x, int16_t y, bool first) {
  if (first) gLastPencilX = x;
  int32_t v = LaneValueAtY(gCurveKind, y);
  for (int32_t i = std::min<int32_t>(gLastPencilX, x); i <= std::max<int32_t>(gLastPencilX, x); ++i) {
    if (int32_t* c = ColumnAt(i)) *c = v;
  }
  gCurveSpan.Add(gLastPencilX, x);
  gLastPencilX = x;
}

void TrackLanePencil(Point press) {
  int32_t kind = GetCurrentLaneKind();
  ComputeLaneScale(kind);
  PencilState s;
  s.press = press;
  s.pressValue = s.lastValue = LaneValueAtY(kind, press.v);
  gLastPencilX = press.h;
  // The press is the first sample, so a click without movement draws its column.
  PencilSample(kind, press, &s);
  Point last = press;
  while (StillDown()) {
    Point mouse;
    GetMouse(&mouse);
    if (!PtInRect(mouse, &gScratchRect) || (mouse.h == last.h && mouse.v == last.v)) continue;
    PencilSample(kind, mouse, &s);
    last = mouse;
  }
  FinishLaneSpan(kind, s.span);
}

void TrackLaneCurve(Point press, bool orientation) {
  int32_t kind = GetCurrentLaneKind();
  ComputeLaneScale(kind);
  Point release = TrackCurveArc(kind, press, orientation);
  gCurveKind = kind;
  gCurveSpan = LaneSpan{};
  WalkArc(press, release, orientation, SetColumnsToMouseValue);
  if (IsMidiLane(kind) && gCurveSpan.Touched()) SetLaneChannelColumns(gCurveSpan.left, gCurveSpan.right, gNoteEntryChannel);
  FinishLaneSpan(kind, gCurveSpan);
  PenNormal();
  ForeColor(blackColor);
}

void HandleLaneClick(Point where, EventRecord*) {
  LoadLaneEventRect();
  if (!PtInRect(where, &gScratchRect)) return;
  EnsureLaneColumnsCurrent();
  LaneGesture g;
  g.press = where;
  if (IsCommandKeyDown()) {
    g.curve = true;
    g.orientation = IsShiftKeyDown();
  } else {
    g.curve = gLaneTool != kPencilTool;
    g.orientation = gLaneTool - kRectangleTool != 0;
  }
  RunLaneGestureStep(&g);
  InvalidateEditorWindow();
  RedrawEventListWindow();
  MarkEditorPanesDirty();
  LoadCurrentPaneRect();
  ClipToScratchRect();
}

void FillSharedRect() {
  Pattern white;
  FillRect(&gScratchRect, GetQDGlobalsWhite(&white));
}

int32_t HitTestProgramEvent(Point where) {
  Handle list = GetCurrentTrackEventList();
  if (!list || GetCurrentLaneKind() != kLaneProgram) return -1;
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* end = start + GetHandleSize(list);
  uint32_t last = uint32_t(XToTime(where.h + kProgramCircleRadius + 1));
  int32_t range = GetLaneRange(kLaneProgram);
  int32_t hit = -1;
  for (uint8_t* e = SeekEventList(start, gTimelineLeftTick); e < end && SeqEventTime(e) != 0;) {
    uint32_t length = SeqEventLengthWithin(e, uint32_t(end - e));
    if (length == 0 || SeqEventTime(e) > last) break;
    if (SeqEventKind(e) == kKindProgram) {
      int32_t x = TimeToX(int32_t(SeqEventTime(e)), gTimelineLeftTick);
      int32_t y = ValueToLaneY(e[kEventData1], range);
      if (std::abs(where.h - x) <= kProgramCircleRadius && std::abs(where.v - y) <= kProgramCircleRadius)
        hit = int32_t(e - start);  // the latest circle lies on top
    }
    e += length;
  }
  return hit;
}

bool OpenProgramEventAtClick(Point where) {
  Rect saved = gScratchRect;
  LoadLaneEventRect();
  int32_t offset = HitTestProgramEvent(where);
  gScratchRect = saved;
  if (offset < 0) return false;
  Handle list = GetCurrentTrackEventList();
  int8_t state = HGetState(list);
  OpenProgramEventDialog(offset);
  if (Handle now = GetCurrentTrackEventList()) HSetState(now, state);
  InvalidateEditorWindow();
  return true;
}
