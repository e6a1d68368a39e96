#include "editors/panes/pane_content.h"

#include <algorithm>

#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_drawing.h"
#include "editors/note_drawing/bent_notes.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/note_drawing/track_note_walk.h"
#include "editors/panes/pane_stack.h"
#include "editors/sections/section_markers.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/waveforms/track_waveform.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

bool IsPatternTrack() { return gCurrentTrack && (TrackEntryView(gCurrentTrack).Flags() & kTrackFlag40); }

// True when the notes were drawn bent.
bool DrawNoteRowsContent() {
  bool bent = IsBendDisplayOn();
  gNoteDrawProc = bent ? DrawBentNote : DrawNoteBox;
  if (bent) {
    BuildBendReferenceColumns();
    gBendColumns = gLaneColumns.reference.data();
    gBendColumnCount = int32_t(gLaneColumns.reference.size());
    PenSize(1, std::max<int16_t>(gNoteMetric, 1));
  }
  if (!IsPatternTrack()) DrawTrackNotes();
  else if (!TrackEntryView(gCurrentTrack).SectionList()) DrawLoopedTrackNotes();
  else DrawSectionedTrackNotes();
  return bent;
}

// The waveform of the pane's audio track, its left edge at the timeline's origin.
void DrawAudioRow() {
  Rect saved = gScratchRect;
  gScratchRect.left = gTimelineFrame.originX;
  DrawTrackOverview(gTimelineLeftTick, GetTimelineRightTick(), gZoomLevel, kWavePassAfter, nullptr);
  DrawChannelLabels();
  gScratchRect = saved;
}

}  // namespace

int16_t GetPaneDrawingClass() {
  const EditorPane& pane = gEditorPanes[gCurrentPaneIndex];
  if (pane.kind >= kPaneKindPluginBase || gCurrentPaneSlot > 0) return kLaneClass;  // instrument panes
  int16_t mode = gCurrentViewMode;
  if ((mode >= 2 && mode <= 8) || (mode >= 10 && mode <= 15)) return kLaneClass;
  return mode;
}

bool DrawPaneByViewMode(bool withLeftColumn, bool isCurrentPane) {
  (void)isCurrentPane;  // the lanes' column rebuild asks for it
  gGhostDrawing = 0;
  LoadCurrentPaneRect();
  gScratchRect.bottom = int16_t(gScratchRect.bottom - 1);
  ClipToScratchRect();
  if (!IsSharedRectVisible()) {
    if (withLeftColumn) DrawPaneLeftColumn();
    return false;
  }
  gLoopDrawOffset = 0;
  Handle list = gCurrentTrack ? TrackEntryView(gCurrentTrack).EventList() : Handle();
  int8_t state = list ? HGetState(list) : 0;
  if (list) HLock(list);
  // Interim: the drum view is drawn by its own owner once it is built; its panes show the
  // background only.
  int16_t drawingClass = GetPaneDrawingClass();
  bool bent = drawingClass == kNoteRowsClass && gCurrentTrack && DrawNoteRowsContent();
  if (drawingClass == kAudioClass) DrawAudioRow();
  if (drawingClass == kLaneClass) DrawLaneContents(false, gTimelineFrame.originX, gScratchRect.right);
  DrawSectionMarkers();
  PenNormal();
  ForeColor(blackColor);
  if (list) HSetState(list, state);
  if (withLeftColumn) DrawPaneLeftColumn();
  gLoopDrawOffset = 0;
  return bent;
}
