#include "editors/selection/selected_panes.h"

#include "shell/windows/editor_panes.h"
#include "song/model/track_selection.h"

namespace {

constexpr int16_t kMaskedPanes = 32;

bool IsSelectedTrackPane(int16_t k) {
  return k < kMaskedPanes && ((gPaneVisitMask >> k) & 1) && gEditorPanes[k].kind == 0;
}

}  // namespace

void ApplySelectedPanes() {
  ClearTrackSelectionMask();
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (IsSelectedTrackPane(k)) SelectTrackSlot(gEditorPanes[k].track);
  RecomputeSelectionBounds(gTrackSelection, true);
}
