#include "editors/editor_key_routes.h"

#include "editing/event_filters.h"
#include "editors/adjacent_marker.h"
#include "editors/lanes/lane_columns.h"
#include "editors/follow/step_input.h"
#include "editors/key_command_hooks.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_values.h"
#include "editors/panes/pane_stack.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/views/view_modes.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_fields.h"
#include "shell/windows/track_view_modes.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int16_t kAudioViewMode = kWaveformViewMode;

void ToggleDottedFromKey() { ToggleTupletBit(kTupletDotted); }

void GoToAdjacentMarkerFromKey(bool backward) { GoToAdjacentMarker(backward); }

// Step input swings as the pencil does: by the swing percentage where the note value takes it.
int32_t SwungStepTicks(int32_t tick) { return SwingOffset(tick, SwingForGrid(GetNoteValue())); }
int32_t StepEnteredNoteLength(int32_t tick) { return EnteredNoteLength(tick); }

}  // namespace

// After a pane's view changed: the tools and the edit filters follow the view.
void FollowViewModeChange() {
  if (!IsNoteOrDrumView(gCurrentViewMode) && gCurrentViewMode != kAudioViewMode) ResetLaneDragState();
  ApplyViewModeTools();
  UpdateEventFilters();
  InvalidateEditorWindow();
}

void SelectViewModeFromKey(int16_t mode) {
  if (mode < 0 || mode > 8 || gEditorPaneCount <= 0) return;
  SetEditorViewMode(mode);
  RememberTrackViewMode(uint8_t(gCurrentViewMode), gCurrentPaneSlot == 0 && gEditorPanes[gCurrentPaneIndex].kind < 1);
  FollowViewModeChange();
}

void SetNoteValueFromKey(int16_t fraction) {
  for (int16_t k = 0; k <= 4; ++k)
    if (fraction == (1 << k)) return NoteValueKey(k);
}

void ToggleTupletFromKey(int16_t tuplet) {
  switch (tuplet) {
    case 3: return ToggleTupletBit(kTupletTriplet);
    case 5: return ToggleTupletBit(kTupletQuintuplet);
    case 7: return ToggleTupletBit(kTupletSeptuplet);
    default: return;
  }
}

void ScrollEditorFromKey(int16_t part) {
  if (!gMainEditorRecord.window) return;
  BeginTimelineDraw();
  ScrollHorizontalAction(gMainEditorRecord.hScrollBar, ControlPartCode(part));
}

void InstallEditorKeyRoutes() {
  gKeyCommandHooks.showCounterAtLocateBar = EditCounterBarFieldAtBarStart;
  gKeyCommandHooks.selectViewMode = SelectViewModeFromKey;
  gViewModeChangedProc = FollowViewModeChange;
  gKeyCommandHooks.selectEditTool = SelectEditTool;
  gKeyCommandHooks.setNoteValue = SetNoteValueFromKey;
  gKeyCommandHooks.toggleTuplet = ToggleTupletFromKey;
  gKeyCommandHooks.toggleDotted = ToggleDottedFromKey;
  gKeyCommandHooks.scrollEditor = ScrollEditorFromKey;
  gKeyCommandHooks.goToAdjacentMarker = GoToAdjacentMarkerFromKey;
  gStepInputHooks.noteValueTicks = GetNoteValue;
  gStepInputHooks.swungStepTicks = SwungStepTicks;
  gStepInputHooks.enteredNoteLength = StepEnteredNoteLength;
}
