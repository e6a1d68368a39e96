#include "shell/windows/target_pane.h"

#include "shell/windows/editor_panes.h"
#include "song/model/child_sequences.h"
#include "song/model/utility_track_access.h"

namespace {

bool IsPaneSelected(int16_t n) { return n >= 0 && n < 32 && (gPaneVisitMask & (1u << n)); }

// A track pane (kind 0 or less) whose track has child sequences; the track is selected.
bool HasChildren(int16_t n) {
  if (gEditorPanes[n].kind > 0) return false;
  SelectTrackNumber(gEditorPanes[n].track);
  return GetChildCount() > 0;
}

}  // namespace

int16_t FindTargetPane(bool needChildren) {
  int16_t cur = gCurrentPaneIndex;
  bool selected = IsPaneSelected(cur);
  if (!needChildren) {
    if (selected) return cur;
    for (int16_t n = 0; n < gEditorPaneCount; ++n)
      if (IsPaneSelected(n)) return n;
    return cur;
  }
  if (cur >= 0 && cur < gEditorPaneCount && gEditorPanes[cur].kind <= 0) {
    SelectCurrentPaneTrack();
    if (selected && GetChildCount() > 0) return cur;
  }
  for (int16_t n = 0; n < gEditorPaneCount; ++n)
    if (IsPaneSelected(n) && HasChildren(n)) return n;
  return cur;
}
