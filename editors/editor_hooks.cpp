#include "editors/automation/parameter_recording.h"
#include "editors/editor_hooks.h"
#include "editors/lanes/lane_columns.h"
#include "editors/panes/timeline_zoom.h"

#include "editors/editor_key_routes.h"
#include "editors/follow/step_input.h"
#include "editors/key_command_hooks.h"
#include "editors/lanes/lane_scale.h"
#include "editors/lanes/lane_controllers.h"
#include "editors/lanes/lane_tools.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_values.h"
#include "editors/note_moves/bar_line_drag.h"
#include "editors/note_moves/note_body_clicks.h"
#include "editors/note_moves/note_durations.h"
#include "editors/note_moves/note_velocity.h"
#include "editors/scale_time/scale_time.h"
#include "editors/toolbar/toolbar_clicks.h"
#include "editors/views/pane_header_clicks.h"
#include "editors/selection/event_hit_test.h"
#include "editors/selection/selection_hooks.h"
#include "editors/selection/selection_tracker.h"
#include "sequencer/clock/sequencer_clock.h"
#include "shell/base/event_records.h"
#include "shell/windows/window_activation.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "editors/track_window_clicks.h"
#include "editors/transport_keys.h"
#include "song/model/editor_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "editors/views/view_modes.h"
#include "song/model/window_redraw.h"

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

// The velocity tool's press on a velocity handle drags the velocity; any other press is not
// taken.
bool DragVelocityHandle(Point where, EventRecord*) {
  gLastMousePoint = where;
  if (!HandleNoteAreaClick()) return false;
  DragNoteVelocity();
  return true;
}

void DragBarLineFromClick(int32_t bar, Point where) {
  gLastMousePoint = where;
  DragBarLine(bar);
}

void StepVelocitiesFromKey(int16_t delta) { StepSelectedVelocities(delta); }

// The note moves, velocity and length edits and bar-line drags take their clicks and keys.
void InstallNoteMoveRoutes() {
  gEditorClickRoutes.velocityHandleClick = DragVelocityHandle;
  gEditorClickRoutes.dragBarLine = DragBarLineFromClick;
  gSelectionHooks.clickNoteBody = ClickNoteBody;
  gSelectionHooks.dragBlockEvent = DragBlockEvent;
  gSelectionHooks.dragBlockLength = DragBlockLength;
  gKeyCommandHooks.changeSelectedDurations = NudgeSelectedDurations;
  gKeyCommandHooks.changeSelectedVelocities = StepVelocitiesFromKey;
}

}  // namespace

void InstallEditorHooks() {
  InstallParameterRecordingHooks();
  gSongEditorHooks.armNewTrack = ArmTrackForRecording;
  gSongEditorHooks.lowerEntryIndexesAbove = LowerEntryIndexes;
  gSongEditorHooks.markRowsForRedraw = MarkRowsForRedraw;
  gSongEditorHooks.invalidateCurrentTrackRow = InvalidateTrackRow;
  gSongEditorHooks.isCurrentTrackInDrumView = IsTrackInDrumView;
  gSongEditorHooks.rescaleCurrentTrackEventTimes = ScaleCurrentTrackToResolution;
  gSongEditorHooks.runWindowKeyActions = [](uint32_t tick, uint32_t mask) {
    LocateAndShowInWindows(tick, mask == kAllWindowKinds ? kEditorWindowKindsMask : mask);
  };
  gConductorRefreshHooks.refreshAfterResolutionChange = RefreshViewsAfterResolutionChange;
  InstallEditorClicks();
  InstallPaneHeaderClicks();
  InstallTrackWindowClicks();
  gEditorClickRoutes.selectionTracker = TrackSelectionFromClick;
  // Interim: the mode field's pop-up until the pane header clicks are built.
  InstallEditorKeyRoutes();
  SetWindowActivateProc(kMainEditorWindowKind, MainEditorActivated);
  InstallNoteMoveRoutes();
  gEditorClickRoutes.laneClick = HandleLaneClick;
  gEditorClickRoutes.laneTitleClick = HandleLaneTitleClick;
  gSelectionHooks.clickProgramEvent = [](int16_t h, int16_t v) { return OpenProgramEventAtClick(Point{v, h}); };
  InstallToolbarClicks();
  InstallLaneScaleHooks();
  gZoomHooks.rebuildBendReference = BuildBendReferenceColumns;
  gEditorClickRoutes.resetEventTemplate = [] {
    if (gKeyCommandHooks.resetEventTemplate) gKeyCommandHooks.resetEventTemplate();
  };
}
