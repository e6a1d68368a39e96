#include "editors/panes/timeline_zoom.h"

#include <algorithm>

#include "editors/follow/play_cursor.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/timeline/timeline_axis.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/timebase.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int16_t kAudioViewMode = 9;

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
  gZoomLevel = int16_t(level);
  UpdateEditorScrollBar();
  InvalidateEditorWindow();
  return gZoomLevel;
}
