#include "shell/windows/track_view_buttons.h"

#include "shell/base/modifier_keys.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/track_window_scroll.h"
#include "song/events/event_index.h"
#include "song/model/song_context.h"
#include "song/model/window_redraw.h"

void StepTrackViewButton(int16_t index, ControlPartCode) {
  int16_t direction = (index & 1) ? 1 : -1;
  if (index == 0 || index == 1) {
    int16_t step = IsOptionModifierDown() ? 1 : kTrackRowHeightStep;
    ChangeTrackRowHeight(int16_t(gTrackRowHeight + direction * step));
    RebuildEventIndexes();
  } else if (index == 2 || index == 3) {
    int16_t shift = int16_t(gOverviewZoomShift - direction);
    if (shift >= kMinOverviewZoomShift && shift <= kMaxOverviewZoomShift) {
      gOverviewZoomShift = shift;
      RebuildEventIndexes();
      RefreshSongPositionFields(kRefreshSongLengthBar);
      InvalidateTrackWindow();
    }
  }
  SetSongModified();
}
