#include "editors/panes/drum_list_width.h"

#include "editors/timeline/timeline_axis.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"

int16_t gDrumListWidth = kKeyColumnWidth;

namespace {

bool IsShownDrumPane(const EditorPane& pane) {
  return (pane.viewMode == kRowViewMode || pane.viewMode == kRowViewMode2) && !(pane.flags & kPaneHidden);
}

bool AnyShownDrumPane() {
  int16_t count = gEditorPaneCount < 0 ? 0 : gEditorPaneCount > kMaxEditorPanes ? kMaxEditorPanes : gEditorPaneCount;
  for (int16_t k = 0; k < count; ++k)
    if (IsShownDrumPane(gEditorPanes[k])) return true;
  return false;
}

int16_t StoredDrumWidth() {
  uint8_t stored = gCurrentSong ? gCurrentSong[kSongDrumColumnWidth] : 0;
  return stored < kLeastStoredDrumWidth ? kDefaultDrumListWidth : int16_t(stored);
}

}  // namespace

void UpdateDrumListWidth() {
  gDrumListWidth = AnyShownDrumPane() ? StoredDrumWidth() : kKeyColumnWidth;
  gTimelineFrame.originX = gDrumListWidth;
  InvalidateEditorWindow();
}
