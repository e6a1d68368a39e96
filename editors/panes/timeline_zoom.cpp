#include "editors/panes/timeline_zoom.h"

#include <algorithm>

#include "editors/follow/play_cursor.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/timeline/timeline_axis.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"
#include "song/model/window_redraw.h"

uint8_t gKeepZoomPosition = 1;

namespace {

constexpr int16_t kAudioViewMode = 9;

// The bar line nearer to tick (a remainder above half the bar gives the next bar), at least 1.
int32_t NearerBarLine(int32_t tick) {
  int32_t bar = 0, offset = 0;
  TickToBarAndOffset(std::max(tick, 1), &bar, &offset);
  int32_t start = BarToTick(bar), next = BarToTick(bar + 1);
  return std::max(offset > (next - start) / 2 ? next : start, 1);
}

// After a level change at the tick levels: the selection start stays at the pixel it had
// (oldX), the left edge rounded to the nearer bar line.
void KeepSelectionStartAt(int32_t oldX) {
  int32_t start = int32_t(std::min<uint32_t>(gTimeSelection.start.tick, INT32_MAX));
  int64_t left = int64_t(start) - (int64_t(oldX - gTimelineFrame.originX) << gZoomLevel);
  int32_t rounded = NearerBarLine(int32_t(std::clamp<int64_t>(left, 1, INT32_MAX)));
  if (rounded == gTimelineLeftTick) return;
  gTimelineLeftTick = rounded;
}

}  // namespace

int16_t GetMaxZoomLevel() {
  switch (gTicksPerQuarter) {
    case 24: return 7;
    case 48: return 8;
    case 96: return 9;
    default: return 12;
  }
}

bool IsAudioZoomAllowed() {
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (gEditorPanes[k].viewMode == kAudioViewMode) return true;
  return false;
}

int16_t ZoomEditorStep(int16_t out) {
  int32_t level = std::min<int32_t>(gZoomLevel + (out ? 1 : -1), GetMaxZoomLevel());
  if (level < 0) level = IsAudioZoomAllowed() ? std::max<int32_t>(level, kLowestZoomLevel) : 0;
  if (level == gZoomLevel) return gZoomLevel;
  ErasePlayCursors();
  uint32_t end = gTimeSelection.end.tick;
  bool keep = IsTickVisible(int32_t(std::min<uint32_t>(gTimeSelection.start.tick, INT32_MAX))) ||
              (end > 1 && IsTickVisible(int32_t(std::min<uint32_t>(end - 1, INT32_MAX))));
  keep = keep && gZoomLevel >= 0 && level >= 0 && gTimeSelection.start.tick >= 1;
  int32_t oldX = keep ? TimeToX(int32_t(gTimeSelection.start.tick), gTimelineLeftTick) : 0;
  gZoomLevel = int16_t(level);
  if (keep && gKeepZoomPosition) KeepSelectionStartAt(oldX);
  UpdateEditorScrollBar();
  InvalidateEditorWindow();
  return gZoomLevel;
}
