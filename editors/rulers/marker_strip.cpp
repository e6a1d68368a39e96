#include "editors/rulers/marker_strip.h"

#include <algorithm>

#include "editors/panes/pane_colours.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "song/conductor/markers.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr int16_t kMarkerTextInset = 2;

Handle SongMarkerList() { return gCurrentSong ? SongHeaderView(gCurrentSong).MarkerList() : Handle(); }

bool IsVisibleMarker(uint32_t tick, int32_t rightTick) {
  return tick >= uint32_t(gTimelineLeftTick) && tick <= uint32_t(std::max(rightTick, 0)) && tick != kMarkerEndTick;
}

bool MatchesFilter(const uint8_t* marker, int16_t filter) {
  if (filter < 0) return true;
  return ((MarkerFlags(marker) & kMarkerSelected) != 0) == (filter != 0);
}

void DrawMarkerLabel(uint8_t* marker, int16_t left, int16_t right, const Rect& strip) {
  Rect label{strip.top, left, strip.bottom, right};
  if (label.right <= label.left) return;
  ClipRect(&label);
  MoveTo(left, int16_t(strip.top + 1));
  LineTo(left, int16_t(strip.bottom - 1));
  MoveTo(int16_t(left + kMarkerTextInset), int16_t(strip.bottom - 3));
  DrawString(GetMarkerName(marker));
}

}  // namespace

void DrawMarkers(int16_t filter) {
  int16_t windowRight = GetMainWindowRight();
  Rect strip = GetMarkerStripRect(windowRight);
  int32_t rightTick = GetTimelineRightTick();
  int32_t count = CountMarkers();
  for (int32_t n = 0; n < count; ++n) {
    uint8_t* marker = GetMarkerAt(n);
    if (!IsVisibleMarker(MarkerTick(marker), rightTick) || !MatchesFilter(marker, filter)) continue;
    int16_t left = TickToClampedPixel(int32_t(MarkerTick(marker))), right = windowRight;
    if (filter < 1 && n + 1 < count) {
      uint32_t next = MarkerTick(GetMarkerAt(n + 1));
      if (next != kMarkerEndTick) right = std::min(right, TickToClampedPixel(int32_t(std::min<uint32_t>(next, INT32_MAX))));
    }
    DrawMarkerLabel(marker, left, right, strip);
  }
  ClipToPortBounds();
}

void DrawMarkerStrip(int16_t filter) {
  Handle list = SongMarkerList();
  if (!list) return;
  int8_t state = HGetState(list);
  HLock(list);
  Rect strip = GetMarkerStripRect(GetMainWindowRight());
  Rect wide = strip;
  InsetRect(&wide, -1, 0);
  ClipToPortBounds();
  if (gEditorLayout.flags & kLayoutPanelFill) {
    Rect fill = wide;
    fill.top = int16_t(fill.top + 2);
    SetPaneForeColour(kMarkerStripFillColour);
    PaintRect(&fill);
  } else {
    SetPaneBackColour(kMarkerStripColour);
    EraseRect(&wide);
    BackColor(whiteColor);
  }
  ForeColor(blackColor);
  FrameRect(&wide);
  SetPaneForeColour(kMarkerTextColour);
  TextMode(srcOr);
  DrawMarkers(filter);
  if (filter >= 0) {
    TextFace(bold);
    DrawMarkers(1);
    TextFace(normal);
  }
  ForeColor(blackColor);
  HSetState(list, state);
}

int16_t HitTestMarkers(Point mouse, int32_t* index, Rect* label) {
  if (!SongMarkerList()) return 0;
  Rect strip = GetMarkerStripRect(GetMainWindowRight());
  if (mouse.v < strip.top || mouse.v >= strip.bottom) return 0;
  int32_t rightTick = GetTimelineRightTick();
  for (int32_t n = CountMarkers() - 1; n >= 0; --n) {
    uint8_t* marker = GetMarkerAt(n);
    uint32_t tick = MarkerTick(marker);
    if (tick == kMarkerEndTick || tick > uint32_t(std::max(rightTick, 0))) continue;
    if (tick < uint32_t(gTimelineLeftTick)) break;
    int16_t x = TickToClampedPixel(int32_t(tick));
    Rect span{strip.top, x, strip.bottom, int16_t(std::min<int32_t>(x + StringWidth(GetMarkerName(marker)) + kMarkerLabelPadding, kQDCoordLimit))};
    if (mouse.h >= span.left && mouse.h < span.right) {
      if (index) *index = n;
      if (label) *label = span;
      return 1;
    }
  }
  return 0;
}
