#include "editors/editor_hooks.h"

#include "editors/editor_key_routes.h"
#include "editors/follow/step_input.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_values.h"
#include "editors/scale_time.h"
#include "editors/selection/selection_tracker.h"
#include "sequencer/clock/sequencer_clock.h"
#include "shell/windows/window_activation.h"
#include "shell/base/event_records.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/model/editor_hooks.h"
#include "song/model/window_redraw.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

// Interim: marks the track armed (bit 0x10 of its type byte); no recording inputs exist.
bool ArmTrackForRecording(bool skipArm, bool) {
  if (!skipArm && gCurrentTrack) gCurrentTrack[kTrackModeFlags] |= kTrackModeArmed;
  return false;
}

// Interim: no editor records exist yet.
void LowerEntryIndexes(int32_t) {}

// Interim: no editor rows exist yet.
void MarkRowsForRedraw() {}

// Interim: no track window exists yet.
void InvalidateTrackRow() {}

// Interim: the panes are laid out again and the editor redrawn; no editor keeps ticks of its
// own yet.
void RefreshViewsAfterResolutionChange() {
  RecomputeNoteValuesForResolution();
  MarkEditorPanesDirty();
  InvalidateEditorAndLanes();
}

// Interim: no drum view exists yet.
bool IsTrackInDrumView() { return false; }

}  // namespace

namespace {

// A drag in a pane with the arrow or the rectangle tool: the selection tracker, from the click.
void TrackSelectionFromClick(Point where, EventRecord* event) {
  gLastMousePoint = where;
  TrackEditorSelection(event ? event->modifiers : 0, false);
}

// The main editor coming to the front while stopped with the audition tool takes step input
// afresh: notes played meanwhile and keys held then are forgotten.
void MainEditorActivated(AppWindow*, bool active) {
  if (active && !IsClockTaskPlaying() && gNoteTool == kAuditionTool) ResetStepInput();
}

}  // namespace

void InstallEditorHooks() {
  gSongEditorHooks.armNewTrack = ArmTrackForRecording;
  gSongEditorHooks.lowerEntryIndexesAbove = LowerEntryIndexes;
  gSongEditorHooks.markRowsForRedraw = MarkRowsForRedraw;
  gSongEditorHooks.invalidateCurrentTrackRow = InvalidateTrackRow;
  gSongEditorHooks.isCurrentTrackInDrumView = IsTrackInDrumView;
  gSongEditorHooks.rescaleCurrentTrackEventTimes = ScaleCurrentTrackToResolution;
  gConductorRefreshHooks.refreshAfterResolutionChange = RefreshViewsAfterResolutionChange;
  InstallEditorClicks();
  gEditorClickRoutes.selectionTracker = TrackSelectionFromClick;
  InstallEditorKeyRoutes();
  SetWindowActivateProc(kMainEditorWindowKind, MainEditorActivated);
}
