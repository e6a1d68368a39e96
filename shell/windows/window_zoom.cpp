// The zoom box: each kind's ideal size, and the standard state placed on the screen that
// holds most of the window.
#include <algorithm>

#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/screen.h"
#include "shell/base/app_state.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

int16_t gInfoPanelCompactWidth = 206;

namespace {


struct IdealSize {
  int32_t width = -1;  // -1: nothing to do
  int32_t height = 0;
  int32_t left = -1;   // -1: keep the window's own left edge
};

int32_t RaiseToTrackNumber(void* arg) {
  int32_t* highest = static_cast<int32_t*>(arg);
  if (gCurrentTrack) *highest = std::max<int32_t>(*highest, TrackEntryView(gCurrentTrack).Number());
  return 0;
}

int32_t HighestTrackNumberUsed() {
  int32_t highest = 4;
  if (gCurrentSong) ForEachTrack(RaiseToTrackNumber, &highest);
  return highest;
}

int16_t GlobalLeft(WindowRef window) {
  Rect frame{};
  GetWindowGlobalFrame(window, &frame);
  return frame.left;
}

void ToggleInfoPanelWidth(AppWindow* w) {
  int16_t width = gScratchRect.right < gInfoPanelFullWidth - 1 ? gInfoPanelFullWidth : gInfoPanelCompactWidth;
  SetAppWindowSize(w, width, int16_t(gScratchRect.bottom - gScratchRect.top));
}

IdealSize IdealSizeOf(AppWindow* w) {
  int16_t sw = GetScreenWidth(), sh = GetScreenHeight();
  int16_t left = GlobalLeft(GetAppWindowRef(w));
  switch (w->kind) {
    case kSongListKind: return {gSongListWidth, gSongListRowHeight * CountSongListSlots() + 44, left};
    case kMainEditorWindowKind: return {sw, GetEditorLayoutHeight(), -1};
    case kTrackWindowKind: return {sw, gTrackRowHeight * (1 + HighestTrackNumberUsed()) + 47, -1};
    case kInstrumentWindowKindId: {
      Rect limits;
      GetWindowSizeLimits(w, &limits);
      return {std::min<int32_t>(limits.right, sw), gInstrumentStripHeight + 63, -1};
    }
    case kEventListKind: return {gEventListWidth, sh, left};
    case kConductorListKind: return {sw, sh, left};
    case kMarkerListKind: return {400, sh, left};
    case kDialogAppWindowKind: return {};
    default: return {sw, sh, -1};
  }
}

void SetZoomStandardState(WindowRef window, const IdealSize& ideal) {
  Rect standard{};
  GetWindowStandardState(window, &standard);
  Rect frame{};
  GetWindowBounds(window, kWindowContentRgn, &frame);
  int16_t left = ideal.left >= 0 ? int16_t(ideal.left) : frame.left;
  standard.left = left;
  standard.right = int16_t(left + ideal.width);
  standard.top = frame.top;
  standard.bottom = int16_t(std::min<int32_t>(frame.top + ideal.height, gDesktopBounds.bottom - 8));
  if (IsColorDrawingOn()) {
    Rect screen;
    FindBestScreenForRect(&frame, &screen);
    int16_t height = int16_t(standard.bottom - standard.top);
    standard.top = int16_t(screen.top + GetMBarHeight() + 20);
    standard.bottom = int16_t(std::min<int32_t>(standard.top + height, screen.bottom));
    standard.left = std::max(standard.left, screen.left);
    standard.right = std::min(standard.right, screen.right);
  }
  SetWindowStandardState(window, &standard);
}

}  // namespace

void ZoomAppWindow(AppWindow* w, int16_t) {
  WindowRef window = GetAppWindowRef(w);
  if (!window) return;
  LoadAppWindowBounds(w);
  if (w->kind == kInfoPanelWindowKind) {
    ToggleInfoPanelWidth(w);
    return;
  }
  IdealSize ideal = IdealSizeOf(w);
  if (ideal.width < 0) return;
  if (w->zoomed == 0) SetZoomStandardState(window, ideal);
  bool standard = IsWindowInStandardState(window, nullptr, nullptr);
  Point size{int16_t(ideal.height), int16_t(ideal.width)};
  ZoomWindowIdeal(window, standard ? inZoomIn : inZoomOut, &size);
  w->zoomed = standard ? 0 : 1;
  FocusAppWindow(w);
  InvalScrollBarStrips(w);
  LayoutScrollBars(w);
  RelayoutWindowContent(w);
  UpdateWindowScrollers(w);
}
