#include "editing/track_views.h"

#include "shell/windows/editor_panes.h"
#include "song/model/song_layout.h"

bool IsAudioViewMode(uint8_t mode) { return mode == 9 || mode == 10 || mode == 11 || mode == 13 || mode == 14; }

void GetTrackShownViews(const uint8_t* track, bool* events, bool* audio) {
  *events = *audio = false;
  if (gEditorPaneCount <= 0) {
    (IsAudioViewMode(track[kTrackViewMode]) ? *audio : *events) = true;
    return;
  }
  for (int16_t i = 0; i < gEditorPaneCount && i < kMaxEditorPanes; ++i) {
    const EditorPane& pane = gEditorPanes[i];
    if ((pane.flags & kPaneHidden) || pane.kind >= kPaneKindSpecial1 || pane.track != track[kTrackNumber]) continue;
    (IsAudioViewMode(pane.viewMode) ? *audio : *events) = true;
  }
}
