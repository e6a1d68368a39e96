#include "editors/panes/selection_hilite.h"

#include <algorithm>

#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_content.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/drawing.h"
#include "platform/windows/windows.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/time_selection.h"
#include "song/model/region_lists.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"


namespace {

constexpr uint8_t kHighestPitch = 127;

int32_t SelectionX(const TimePosition& at) {
  if (gZoomLevel < 0) return SamplePositionToX(at.sample, gTimelineLeftSample);
  return TimeToX(int32_t(std::min<uint32_t>(std::max<uint32_t>(at.tick, 1), INT32_MAX)), gTimelineLeftTick);
}

bool TrackPlaysAudio() { return gCurrentTrack && RegionListHasRegions(TrackEntryView(gCurrentTrack).ActiveRegionList()); }

}  // namespace

void SetScratchToSelection() {
  Rect pane;
  GetPaneContentRect(gCurrentPaneIndex, &pane);
  bool any = gTimeSelection.end.tick > gTimeSelection.start.tick || gTimeSelection.end.sample > gTimeSelection.start.sample;
  int32_t left = SelectionX(gTimeSelection.start);
  int32_t right = any ? SelectionX(gTimeSelection.end) : left + 1;
  int32_t top = pane.top, bottom = pane.bottom;
  if (GetPaneDrawingClass() == kNoteRowsClass && !TrackPlaysAudio()) {
    uint8_t low = std::min(gFilterLowNote, gFilterHighNote), high = std::max(gFilterLowNote, gFilterHighNote);
    top = PitchRowY(high) - 1;
    bottom = PitchRowY(low) + gNoteMetric + 1;
  }
  auto within = [](int32_t v, int32_t lo, int32_t hi) { return int16_t(std::clamp(v, lo, std::max(lo, hi))); };
  gScratchRect = Rect{within(top, pane.top, pane.bottom), within(left, pane.left, pane.right),
                      within(bottom, pane.top, pane.bottom), within(right, pane.left, pane.right)};
}

void HiliteSelection() {
  SetScratchToSelection();
  if (gScratchRect.right > gScratchRect.left && gScratchRect.bottom > gScratchRect.top) InvertRect(&gScratchRect);
}

void HiliteSelectionInPanes() {
  int16_t current = gCurrentPaneIndex;
  for (int16_t k = 0; k < gEditorPaneCount && k < 32; ++k) {
    if (!((gPaneVisitMask >> k) & 1)) continue;
    SelectPaneForDrawing(k);
    HiliteSelection();
  }
  if (current >= 0 && current < gEditorPaneCount) SelectPaneForDrawing(current);
  ClipToPortBounds();
}

void EraseSelection() {
  SetScratchToSelection();
  EraseRect(&gScratchRect);
}

void InvalidateSelection() {
  SetScratchToSelection();
  if (gMainEditorRecord.window) InvalWindowRect(gMainEditorRecord.window, &gScratchRect);
}

bool ResetSelectionPitchRange() {
  bool changed = gFilterLowNote != 0 || gFilterHighNote != kHighestPitch;
  gFilterLowNote = 0;
  gFilterHighNote = kHighestPitch;
  if (changed) {
    gEditorPanesDirty = 1;
    InvalidateEditorWindow();
  }
  return changed;
}
