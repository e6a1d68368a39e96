// Removing a pane of the main editor, and the layout in which one pane fills the window.
#include <algorithm>

#include "editors/panes/drum_list_width.h"
#include "editors/views/view_modes.h"
#include "platform/controls/controls.h"
#include "platform/memory/byte_order.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint16_t kOutOfSight = 32767;
constexpr uint8_t kSinglePaneBits = kPaneSharesHeight | kPaneHidden;

bool IsValidPane(int16_t n) { return n >= 0 && n < gEditorPaneCount && n < kMaxEditorPanes; }

bool IsTrackPane(const EditorPane& pane) { return pane.kind < 1; }

// The pane and the divider below it out of sight; the divider kept to come back.
void HidePaneForSingleLayout(int16_t k) {
  EditorPane& pane = gEditorPanes[k];
  pane.top = kOutOfSight;
  pane.storedDivider = gEditorPanes[k + 1].top;
  gEditorPanes[k + 1].top = kOutOfSight;
  pane.flags |= kSinglePaneBits;
}

void RestorePaneFromSingleLayout(int16_t k) {
  EditorPane& pane = gEditorPanes[k];
  gEditorPanes[k + 1].top = pane.storedDivider;
  pane.flags &= uint8_t(~kSinglePaneBits);
}

// The track keeps the view of the one other pane that still shows it.
void HandTrackToOtherPane(int16_t n) {
  int16_t other = FindOtherPaneOfTrack(n);
  if (other < 0 || !gCurrentSong || !HasValidCurrentTrack() || gCurrentTrack == gTrackTemplate) return;
  if (gCurrentTrack[kTrackNumber] != gEditorPanes[n].track) return;
  gCurrentTrack[kTrackViewMode] = gEditorPanes[other].viewMode;
  WriteU16BE(gCurrentTrack + kTrackLaneController, uint16_t(gEditorPanes[other].lane));
}

void RelayoutPanes() {
  UpdateDrumListWidth();
  LayoutEditorPanes();
  UpdateAllPaneScrollers();
}

}  // namespace

int16_t FindOtherPaneOfTrack(int16_t n) {
  if (!IsValidPane(n) || !IsTrackPane(gEditorPanes[n])) return -1;
  int16_t found = -1, count = 0;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    if (k == n || !IsTrackPane(gEditorPanes[k]) || gEditorPanes[k].track != gEditorPanes[n].track) continue;
    found = k;
    ++count;
  }
  return count == 1 ? found : -1;
}

bool IsPointInPane(int16_t n, Point where) {
  if (!IsValidPane(n) || (gEditorPanes[n].flags & kPaneHidden)) return false;
  return where.v >= gEditorPanes[n].top && where.v < gEditorPanes[n + 1].top;
}

void RemoveEditorPane(int16_t n) {
  if (!IsValidPane(n) || gEditorPaneCount <= 1) return;  // the window always keeps one pane
  if (gEditorPanes[n].flags & kPaneSharesHeight) ToggleSinglePaneLayout(n);
  HandTrackToOtherPane(n);
  if (gEditorPanes[n].scrollBar) DisposeControl(gEditorPanes[n].scrollBar);
  // The entries after n, with the end entry that keeps the last pane's bottom, move forward.
  std::move(gEditorPanes + n + 1, gEditorPanes + gEditorPaneCount + 1, gEditorPanes + n);
  gEditorPanes[gEditorPaneCount] = EditorPane();
  --gEditorPaneCount;
  gLayoutPaneCount = gEditorPaneCount;
  for (int16_t k = n; k < gEditorPaneCount; ++k)
    if (gEditorPanes[k].scrollBar) SetControlReference(gEditorPanes[k].scrollBar, SRefCon(intptr_t(k)));
  int16_t current = gCurrentPaneIndex > n ? int16_t(gCurrentPaneIndex - 1) : gCurrentPaneIndex;
  SelectEditorPane(std::clamp<int16_t>(current, 0, int16_t(gEditorPaneCount - 1)));
  RelayoutPanes();
}

void ToggleSinglePaneLayout(int16_t n) {
  if (!IsValidPane(n)) return;
  bool single = (gEditorPanes[n].flags & kPaneSharesHeight) != 0;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    if (single) RestorePaneFromSingleLayout(k);
    else HidePaneForSingleLayout(k);
  }
  if (!single) gEditorPanes[n].flags &= uint8_t(~kPaneHidden);
  RelayoutPanes();
}
