#include "editors/track_window_drawing.h"

#include "editors/track_meters.h"

#include <algorithm>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/base/pen_numbers.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int16_t kNumberLeft = 4;
constexpr int16_t kNameLeft = 28;

void DrawTrackRow(const TrackEntryView& track, const Rect& list, int16_t top, int16_t height,
                  int16_t baseline) {
  int16_t bottom = int16_t(std::min<int32_t>(top + height, list.bottom));
  int16_t nameRight = int16_t(std::min<int32_t>(list.left + gTrackColumnWidth, list.right));
  SetRectFields(&gScratchRect, list.left, top, nameRight, bottom);
  ClipToScratchRect();
  MoveTo(int16_t(list.left + kNumberLeft), int16_t(top + baseline));
  DrawNumber(track.Number() + 1);  // shown counted from 1
  Str255 name;
  GetTrackNameText(track.bytes(), name);
  MoveTo(int16_t(list.left + kNameLeft), int16_t(top + baseline));
  DrawPString(name);
}

}  // namespace

void DrawTrackWindow() {
  AppWindow* w = GetWindowForKind(kTrackWindowKind);
  if (!GetAppWindowRef(w)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(w);
  LoadAppWindowContentRect(w);
  gScratchRect.top = int16_t(gScratchRect.top + kTrackListTop);
  if (gScratchRect.bottom > gScratchRect.top) {
    const Rect list = gScratchRect;
    SetBackWhite();
    EraseScratchRect();
    RestoreDefaultTextFont();
    ForeColor(blackColor);
    FontInfo info;
    GetLineMetrics(&info);
    int16_t height = std::max<int16_t>(gTrackRowHeight, 1);
    int16_t baseline = int16_t((height + info.ascent - info.descent) / 2);
    int32_t first = std::max<int32_t>(GetTrackWindowVScroll(), 0);
    int32_t count = GetSongTrackCount();
    SetupTrackMetersIfMoved();
    for (int32_t i = first; i < count; ++i) {
      int32_t top = list.top + (i - first) * height;
      uint8_t* entry = GetTrackEntryAt(i);
      if (top >= list.bottom || !entry) break;
      DrawTrackRow(TrackEntryView(entry), list, int16_t(top), height, baseline);
    }
    ClipToPortBounds();
    for (int32_t i = first; i < count; ++i) DrawTrackMeterRow(i);
  }
  if (saved) SetPort(saved);
}
