#include "shell/windows/window_sizing.h"
#include "shell/windows/instrument_strip_layout.h"

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/screen.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/instrument_strip_layout.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"

int16_t gTrackColumnWidth = 120;
int16_t gSongListRowHeight = 16;
int16_t gSongListWidth = 400;
int16_t gEventListWidth = 460;
int16_t gInstrumentStripWidth = 35;
int16_t gInstrumentStripHeight = 259;
int16_t gInstrumentsInUse = 0;
int16_t gInfoPanelFullWidth = 400;
int16_t gLayoutPaneCount = 1;
int16_t gTrackButtonHeight = 16;
ControlRef gTrackVScroll = nullptr, gTrackHScroll = nullptr;
ControlRef gTrackButtons[4] = {};

namespace {

constexpr int16_t kBar = 15;
constexpr int16_t kTrackHeader = 47;
constexpr int16_t kTrackRows = 48;

WindowKindProc gScrollerProcs[kLastWindowKind + 1] = {};
WindowKindProc gRelayoutProcs[kLastWindowKind + 1] = {};

bool ValidKind(int16_t kind) { return kind >= 0 && kind <= kLastWindowKind; }

void RunKindProc(WindowKindProc* table, AppWindow* w) {
  int16_t kind = GetAppWindowKind(w);
  if (w && ValidKind(kind) && table[kind]) table[kind](w);
}

Rect Limits(int32_t minH, int32_t minW, int32_t maxH, int32_t maxW) {
  return Rect{int16_t(minH), int16_t(minW), int16_t(std::max(minH, maxH)), int16_t(std::max(minW, maxW))};
}

Rect InstrumentLimits() {
  int32_t height = gInstrumentStripHeight + 63;
  int32_t count = gInstrumentCount;
  int32_t minW = std::max<int32_t>(count + 3, 5) * gInstrumentStripWidth + 54;
  int32_t maxW = (count + gInstrumentsInUse + 3) * gInstrumentStripWidth + 54;
  return Limits(height, minW, height, std::max(minW, maxW));
}

int16_t PortWidth(WindowRef window) {
  Rect r;
  GetWindowPortBounds(window, &r);
  return int16_t(r.right - r.left);
}

int16_t PortHeight(WindowRef window) {
  Rect r;
  GetWindowPortBounds(window, &r);
  return int16_t(r.bottom - r.top);
}

}  // namespace

void SetWindowScrollerProc(int16_t kind, WindowKindProc proc) {
  if (ValidKind(kind)) gScrollerProcs[kind] = proc;
}

void SetWindowRelayoutProc(int16_t kind, WindowKindProc proc) {
  if (ValidKind(kind)) gRelayoutProcs[kind] = proc;
}

int32_t CountSongListSlots() { return std::clamp<int32_t>(gSongCount, 0, kSongListMaxSlots); }

int32_t CountSongListRows() {
  int32_t rows = 0;
  for (int32_t n = 0; n < gSongCount; ++n)
    if (GetSongHandleAt(n)) ++rows;
  return rows;
}

int16_t GetEditorLayoutHeight() {
  return int16_t(gTrackRowHeight * gLayoutPaneCount * 11 + gPaneTopMargin + 19);
}

int16_t SnapWindowHeight(int16_t kind, int16_t height) {
  if (height == 0) return height;
  if (kind == kTrackWindowKind) {
    int32_t r = std::max<int16_t>(gTrackRowHeight, 1);  // unset before the window's set-up
    int32_t rows = std::max<int32_t>(0, (height + r / 2 - kTrackHeader) / r);
    return int16_t(rows * r + kTrackHeader);
  }
  if (kind == kSongListKind) {
    int32_t r = std::max<int16_t>(gSongListRowHeight, 1);
    int32_t rows = std::max<int32_t>(0, (height - kSongListHeaderHeight) / r);
    return int16_t(rows * r + kSongListHeaderHeight);
  }
  return height;
}

void GetWindowSizeLimits(const AppWindow* w, Rect* limits) {
  int16_t sw = GetScreenWidth(), sh = GetScreenHeight();
  switch (GetAppWindowKind(w)) {
    case kSongListKind:
      *limits = Limits(80, 170, std::min<int32_t>(sh, gSongListRowHeight * CountSongListSlots() + 45), gSongListWidth);
      break;
    case kMainEditorWindowKind: *limits = Limits(63, 63, GetEditorLayoutHeight(), sw); break;
    case kTrackWindowKind:
      *limits = Limits(77, 79, std::min<int32_t>(sh, kTrackRows * gTrackRowHeight + kTrackHeader + 16), sw);
      break;
    case kInstrumentWindowKindId: *limits = InstrumentLimits(); break;
    case kEventListKind: *limits = Limits(77, 95, sh, gEventListWidth); break;
    case kConductorListKind:
    case kRemoteControlKind: *limits = Limits(77, 95, sh, sw); break;
    case kMarkerListKind: *limits = Limits(77, 95, sh, 400); break;
    case kPluginChooserKind: *limits = Limits(100, 100, sh, sw); break;
    case kDialogAppWindowKind: *limits = Limits(230, 380, sh, sw); break;
    case kJukeboxKind: *limits = Limits(170, 188, sh, sw); break;
    default: *limits = Limits(63, 63, sh, sw); break;
  }
}

void ResizeAppWindow(AppWindow* w, int16_t width, int16_t height, bool force) {
  WindowRef window = GetAppWindowRef(w);
  if (!window) return;
  SetPortWindowPort(window);
  uint16_t wasResizing = gAppState[1] & kAppWord1DrawingSuppressed;
  int16_t kind = w->kind;
  if (kind == kTrackWindowKind && height != 0) {
    force = true;
    height = SnapWindowHeight(kind, height);
    // Compared as a signed value: a window narrower than its name column is widened too.
    if (int32_t(width) - gTrackColumnWidth - 16 < 45) width = int16_t(gTrackColumnWidth + 61);
  } else if (kind == kSongListKind) {
    height = SnapWindowHeight(kind, height);
  }
  bool changed = PortWidth(window) != width || PortHeight(window) != height;
  if (force || changed) {
    gAppState[1] |= kAppWord1DrawingSuppressed;
    SizeWindow(window, width, height, false);
    InvalScrollBarStrips(w);
    LayoutScrollBars(w);
  }
  UpdateWindowScrollers(w);
  InvalAppWindowPort(w);
  if (changed && kind != kMainEditorWindowKind) RelayoutWindowContent(w);
  gAppState[1] = uint16_t((gAppState[1] & ~kAppWord1DrawingSuppressed) | wasResizing);
}

void SetAppWindowSize(AppWindow* w, int16_t width, int16_t height) { ResizeAppWindow(w, width, height, false); }

void SetAppWindowHeight(AppWindow* w, int16_t height) {
  WindowRef window = GetAppWindowRef(w);
  if (window) SetAppWindowSize(w, PortWidth(window), height);
}

void SizeWindowNoUpdate(WindowRef window, int16_t width, int16_t height) {
  if (window) SizeWindow(window, width, height, false);
}

void SizeInstrumentWindowToContent() {
  LayoutInstrumentStrip();
  AppWindow* w = GetWindowForKind(kInstrumentWindowKindId);
  WindowRef window = GetAppWindowRef(w);
  if (!window) return;
  Rect limits;
  GetWindowSizeLimits(w, &limits);
  SetAppWindowSize(w, std::min(PortWidth(window), limits.right), int16_t(gInstrumentStripHeight + 63));
  InvalAppWindowPort(w);
}

void InvalScrollBarStrips(AppWindow* w) {
  WindowRef window = GetAppWindowRef(w);
  if (!window) return;
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  if (w->vScrollBar) {
    Rect strip{bounds.top, int16_t(bounds.right - 16), bounds.bottom, bounds.right};
    InvalWindowRect(window, &strip);
  }
  if (w->hScrollBar) {
    Rect strip{int16_t(bounds.bottom - 16), bounds.left, bounds.bottom, bounds.right};
    InvalWindowRect(window, &strip);
  }
}

namespace {

void LayoutVerticalBar(AppWindow* w, const Rect& b) {
  ControlRef bar = w->vScrollBar;
  int16_t x = int16_t(b.right - kBar), height = int16_t(b.bottom - 13 - b.top);
  if (w->kind == kTrackWindowKind && gTrackButtons[0]) {
    int16_t h = int16_t(gTrackButtonHeight - 1);
    MoveControl(gTrackButtons[0], x, int16_t(b.bottom - h - 30));
    MoveControl(gTrackButtons[1], x, int16_t(b.bottom - 30));
    height = int16_t(height - 2 * h);
  }
  MoveControl(bar, x, int16_t(b.top - 1));
  SizeControl(bar, 16, std::max<int16_t>(height, 0));
  ValidControlRect(bar);
  ShowControl(bar);
}

void LayoutHorizontalBar(AppWindow* w, const Rect& b) {
  ControlRef bar = w->hScrollBar;
  HideControl(bar);
  bool track = w->kind == kTrackWindowKind;
  int16_t boxWidth = w->kind == kMainEditorWindowKind ? kNewPaneBoxWidth : 0;
  int16_t left = int16_t(b.left - 1 + (track ? gTrackColumnWidth : 0) + boxWidth);
  int32_t width = b.right - b.left - 13 - boxWidth;
  if (track) {
    int16_t h = int16_t(gTrackButtonHeight - 1);
    if (gTrackButtons[2]) MoveControl(gTrackButtons[2], int16_t(b.right - h - 30), int16_t(b.bottom - kBar));
    if (gTrackButtons[3]) MoveControl(gTrackButtons[3], int16_t(b.right - 30), int16_t(b.bottom - kBar));
    width -= gTrackColumnWidth + 2 * h;
    if (width < 48) width = 0;
  }
  MoveControl(bar, left, int16_t(b.bottom - kBar));
  SizeControl(bar, int16_t(std::max<int32_t>(width, 0)), 16);
  ValidControlRect(bar);
  ShowControl(bar);
}

}  // namespace

void LayoutScrollBars(AppWindow* w) {
  if (!GetAppWindowRef(w) || w->kind == kJukeboxKind) return;
  FocusAppWindow(w);
  Rect bounds;
  GetAppWindowBounds(w, &bounds);
  bool panesOwnBars = w->kind == kMainEditorWindowKind && gLayoutPaneCount > 0;
  if (panesOwnBars) PlaceEditorPanes();
  if (w->vScrollBar && !panesOwnBars) LayoutVerticalBar(w, bounds);
  if (w->hScrollBar) LayoutHorizontalBar(w, bounds);
}

int16_t GetTrackWindowVisibleRows() {
  WindowRef window = GetAppWindowRef(GetWindowForKind(kTrackWindowKind));
  if (!window || !IsWindowVisible(window)) return 0;
  return int16_t(std::max(0, (PortHeight(window) - kTrackHeader) / std::max<int16_t>(gTrackRowHeight, 1)));
}

void UpdateTrackWindowScrollers(AppWindow* w) {
  ControlRef bar = gTrackVScroll ? gTrackVScroll : (w ? w->vScrollBar : nullptr);
  if (!bar) return;
  int16_t visible = GetTrackWindowVisibleRows();
  int16_t value = GetControlValue(bar);
  if (visible > kTrackRows) {
    SetControlValue(bar, 0);
    DeactivateControl(bar);
  } else if (value == 0 && value + visible >= kTrackRows) {
    DeactivateControl(bar);
  } else {
    if (GetAppWindowRef(w) == GetFrontDocWindow()) ActivateControl(bar);
    SetControlMaximum(bar, int16_t(std::max(1, kTrackRows - visible)));
    SetControlViewSize(bar, visible);
  }
}

void UpdateWindowScrollers(AppWindow* w) {
  if (GetAppWindowKind(w) == kTrackWindowKind) UpdateTrackWindowScrollers(w);
  RunKindProc(gScrollerProcs, w);
}

void RelayoutWindowContent(AppWindow* w) { RunKindProc(gRelayoutProcs, w); }

void HandleGrowClick(const EventRecord* event, AppWindow* w) {
  WindowRef window = GetAppWindowRef(w);
  if (!window) return;
  if (window != GetFrontDocWindow()) {
    if (!(event->modifiers & cmdKey)) SelectWindow(window);
    return;
  }
  CommitValueFieldEdit();  // a number being typed is kept before the window changes size
  Rect limits;
  GetWindowSizeLimits(w, &limits);
  FocusAppWindow(w);
  SInt32 size = GrowWindow(window, event->where, &limits);
  if (size != 0) SetAppWindowSize(w, int16_t(size & 0xFFFF), int16_t(size >> 16));
}

int16_t CountVisibleListRows(int16_t headerHeight) {
  Point bottom{gDesktopBounds.bottom, 0};
  GlobalToLocal(&bottom);
  int32_t limit = std::min<int32_t>(gScratchRect.bottom, bottom.v);
  int32_t rows = std::max<int32_t>(0, limit - gScratchRect.top - headerHeight);
  return int16_t(rows / std::max<int16_t>(gStandardLineHeight, 1));
}
