#include "editors/selection/selection_tracker.h"

#include <algorithm>

#include "editors/note_drawing/event_labels.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_stack.h"
#include "editors/selection/event_hit_test.h"
#include "editors/selection/note_rectangle_selection.h"
#include "editors/selection/selected_panes.h"
#include "editors/selection/selection_drag.h"
#include "editors/selection/selection_hooks.h"
#include "editors/selection/time_selection_drag.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/key_codes.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/mouse_tracking.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/base/arithmetic.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"
#include "song/conductor/sample_position.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"

SelectionTracker* gSelectionTracker = nullptr;

namespace {

constexpr int16_t kProgramLaneViewMode = 6;  // lane 4

// Keeps the tracker reachable for the timer only while the tracking runs.
struct TrackerRegistration {
  explicit TrackerRegistration(SelectionTracker* t) { gSelectionTracker = t; }
  ~TrackerRegistration() { gSelectionTracker = nullptr; }
};

// What the click found before the range selection, kept for shift and command.
struct ClickBefore {
  TimeSelection range;
  uint8_t lowPitch;
  uint8_t highPitch;
  uint32_t paneMask;
};

int16_t NoteAreaLeft() { return gTimelineFrame.originX; }
int16_t NoteAreaRight() { return int16_t(GetMainWindowRight() - kAutoscrollRightInset); }

uint32_t SongEndTick() { return gCurrentSong ? std::max<uint32_t>(1, ReadU32BE(gCurrentSong + kSongEndTick)) : 1; }

int32_t ScrollSamples(int32_t steps) {
  int64_t perStep = gZoomLevel >= -5 ? int64_t(kAutoscrollStepPixels) << (gZoomLevel + 5) : kAutoscrollStepPixels / 4;
  int64_t songEnd = std::max<int64_t>(0, TickToSamplePosition(int32_t(SongEndTick()), GetTimelineSampleRate()));
  int64_t next = std::clamp<int64_t>(int64_t(gTimelineLeftSample) + steps * perStep, 0, songEnd);
  int32_t taken = int32_t((next - int64_t(gTimelineLeftSample)) / std::max<int64_t>(1, perStep));
  gTimelineLeftSample = uint64_t(next);
  return taken;
}

bool IsRectangleMode() { return gNoteTool == kRubberBandNoteTool && gCurrentViewMode == kNoteViewMode && !gClickInRuler; }

// The pointer over another pane: it joins the selected panes, and the anchor pane stays current.
void VisitPaneAt(int16_t v, int16_t anchorPane) {
  int16_t pane = FindEditorPaneAt(v);
  if (pane >= 0 && pane < 32) gPaneVisitMask |= uint32_t(1) << pane;
  SelectPaneForDrawing(anchorPane);
}

void FollowPointer(SelectionTracker* t, Point pt) {
  int16_t x = std::clamp<int16_t>(pt.h, NoteAreaLeft(), std::max(NoteAreaLeft(), NoteAreaRight()));
  int16_t row = PitchAtY(pt.v);
  int32_t tick = XToTime(x);
  if (x == gClickX && row == t->currentRow && tick == t->currentTick) return;
  gClickX = x;
  t->currentTick = tick;
  t->currentRow = row;
  UpdateTrackedSelection(t);
  if (!t->rectangle) VisitPaneAt(pt.v, t->anchorPane);
  InvalAppWindowPort(&gMainEditorRecord);
}

// Until the button is released; the autoscroll timer fires from the tracking's waits.
void TrackUntilRelease(SelectionTracker* t) {
  CGrafPtr port = GetWindowPort(gMainEditorRecord.window);
  InstallEventLoopTimer(GetMainEventLoop(), t->interval, 0, RunSelectionAutoscroll, nullptr, &t->timer);
  for (;;) {
    Point pt;
    MouseTrackingResult result = kMouseTrackingMouseUp;
    TrackMouseLocationWithOptions(port, 0, kEventDurationForever, &pt, nullptr, &result);
    if (result == kMouseTrackingUserCancelled) break;
    FollowPointer(t, pt);
    if (result == kMouseTrackingMouseUp) break;
  }
  if (t->timer) RemoveEventLoopTimer(t->timer);
  t->timer = nullptr;
}

// Command: the new range and pitch bounds widen to take in the ones from before the click.
void UniteWithBefore(const ClickBefore& before, SelectionTracker* t) {
  TimePosition start = gTimeSelection.start, end = gTimeSelection.end;
  if (before.range.start.tick < start.tick) start = before.range.start;
  if (before.range.end.tick > end.tick) end = before.range.end;
  gTimeSelection.start = start;
  gTimeSelection.end = end;
  gClickInRuler = 0;
  t->lowPitch = std::min(t->lowPitch, before.lowPitch);
  t->highPitch = std::max(t->highPitch, before.highPitch);
  gFilterLowNote = t->lowPitch;
  gFilterHighNote = t->highPitch;
}

void FinishSelection(const ClickBefore& before, SelectionTracker* t, uint32_t modifiers) {
  bool unite = modifiers & cmdKey;
  if (unite) UniteWithBefore(before, t);
  if (unite || t->extend) gPaneVisitMask |= before.paneMask;
  ApplySelectedPanes();
  SelectPaneForDrawing(t->anchorPane);
  if (t->rectangle) SelectNotesInRectangle(unite || t->extend);
  InvalAppWindowPort(&gMainEditorRecord);
  InvalAppWindowPort(&gTrackWindowRecord);
  CallLocateToPosition(0);
  CommitTimeSelection();
}

// The anchor of an extended selection is the end the click did not move.
void AnchorExtendedSelection(SelectionTracker* t, const TimeSelection& before) {
  bool startMoved = gTimeSelection.start.tick != before.start.tick;
  t->anchorTick = int32_t(startMoved ? gTimeSelection.end.tick : gTimeSelection.start.tick);
}

void SelectRange(SelectionTracker* t, uint32_t modifiers) {
  ClickBefore before{gTimeSelection, gFilterLowNote, gFilterHighNote, gPaneVisitMask};
  if (!t->extend) gPaneVisitMask = uint32_t(1) << t->anchorPane;
  t->rectangle = IsRectangleMode();
  BeginEditorSelection(t->anchorTick, t->anchorRow, t->extend, IsNoteOrDrumView());
  if (t->extend && !t->rectangle) AnchorExtendedSelection(t, before.range);
  t->currentTick = XToTime(gClickX);
  t->currentRow = t->anchorRow;
  if (t->rectangle) UpdateTrackedSelection(t);
  TrackUntilRelease(t);
  FinishSelection(before, t, modifiers);
}

// A press on a sequence block: its start mark moves it (a double-click opens its dialog), its
// end mark drags its length, its body opens its dialog; the editor is redrawn after.
void ActOnSequenceBlock(int16_t part, bool doubleClick) {
  if (part == kBlockStartMark && !doubleClick) CallDragBlockEvent(gHitEventOffset);
  else if (part == kBlockEndMark) CallDragBlockLength(gHitEventOffset);
  else CallOpenSequenceEventDialog(gHitEventOffset);
  InvalidateEditorWindow();
}

// A click on an event or in the left column is not a range selection: true when it was taken.
bool TakeClickOnEvent(uint32_t modifiers, bool doubleClick) {
  if (gLastMousePoint.h < gTimelineFrame.originX - 2) {
    CallTrackKeyboardAudition(gLastMousePoint.v);
    return true;
  }
  if (gCurrentViewMode == kProgramLaneViewMode && CallClickProgramEvent(gLastMousePoint.h, gLastMousePoint.v))
    return true;
  int16_t mask = gCurrentViewMode == kNoteViewMode ? kNoteViewHitMask : kOtherViewHitMask;
  int16_t part = 0;
  int16_t hit = HitTestEditorEvents(mask, &part);
  if (!hit) return false;
  if (hit == kHitSequenceBlocks) {
    ActOnSequenceBlock(part, doubleClick);
    return true;
  }
  // A plain, option or shift press on a note's body moves, copies or resizes it; the dialog
  // clicks and command's selection toggle are the note click's own.
  if (ClickOnNote(mask, modifiers, doubleClick) == 1 && !(modifiers & (cmdKey | controlKey)))
    CallClickNoteBody(modifiers);
  return true;
}

// A plain click inside the selection of a selected pane (and inside its pitch range) may start
// a drag of the selection instead of a new range.
bool IsClickInDraggableSelection(int32_t tick, int16_t row, uint32_t modifiers) {
  if (gClickInRuler || (modifiers & (shiftKey | cmdKey)) || !(gEditorDragSettings & kDragSelectionOutBit)) return false;
  if (gCurrentPaneIndex < 0 || gCurrentPaneIndex >= 32 || !((gPaneVisitMask >> gCurrentPaneIndex) & 1)) return false;
  return uint32_t(tick) >= gTimeSelection.start.tick && uint32_t(tick) < gTimeSelection.end.tick &&
         row >= gFilterLowNote && row <= gFilterHighNote;
}

}  // namespace

void UpdateTrackedSelection(SelectionTracker* t) {
  SetSelectionFromDrag(t->anchorTick, t->currentTick, t->extend);
  if (t->rectangle) {
    t->lowPitch = uint8_t(std::clamp<int16_t>(std::min(t->anchorRow, t->currentRow), 0, 127));
    t->highPitch = uint8_t(std::clamp<int16_t>(std::max(t->anchorRow, t->currentRow), 0, 127));
  } else {
    t->lowPitch = 0;
    t->highPitch = 127;
  }
  gFilterLowNote = t->lowPitch;
  gFilterHighNote = t->highPitch;
}

void TrackEditorSelection(uint32_t modifiers, bool doubleClick) {
  if (!gMainEditorRecord.window || !gCurrentSong) return;
  SelectionTracker tracker;
  TrackerRegistration registration(&tracker);
  gClickX = gLastMousePoint.h;
  if (!gClickInRuler && !SelectPaneAtMouse()) return;
  tracker.anchorPane = gCurrentPaneIndex;
  tracker.anchorRow = PitchAtY(gLastMousePoint.v);
  if (!gClickInRuler && TakeClickOnEvent(modifiers, doubleClick)) return;
  tracker.extend = (modifiers & shiftKey) && !(modifiers & optionKey);
  tracker.anchorTick = XToTime(gClickX);
  if (IsClickInDraggableSelection(tracker.anchorTick, tracker.anchorRow, modifiers)) {
    DragSelectionOut();
    return;
  }
  gSelectionAnchorTick = tracker.anchorTick;
  SelectRange(&tracker, modifiers);
}

int32_t ScrollTimelineBySteps(int32_t steps) {
  if (steps == 0) return 0;
  if (gZoomLevel < 0) return ScrollSamples(steps);
  int64_t perStep = int64_t(kAutoscrollStepPixels) << std::min<int16_t>(gZoomLevel, 24);
  int64_t next = std::clamp<int64_t>(int64_t(gTimelineLeftTick) + steps * perStep, 1, SongEndTick());
  int32_t taken = int32_t((next - gTimelineLeftTick) / perStep);
  if (next != gTimelineLeftTick && taken == 0) taken = steps > 0 ? 1 : -1;
  gTimelineLeftTick = int32_t(next);
  return taken;
}

int32_t AutoscrollSelectionAt(int16_t x) {
  SelectionTracker* t = gSelectionTracker;
  if (!t) return 0;
  int32_t step = 0;
  if (x < NoteAreaLeft()) {
    step = -1;
    x = NoteAreaLeft();
  } else if (x > NoteAreaRight()) {
    step = 1;
    x = NoteAreaRight();
  } else {
    t->interval = kAutoscrollStartInterval;
    return 0;
  }
  step = ScrollTimelineBySteps(step);
  gClickX = x;
  t->currentTick = XToTime(x);
  UpdateTrackedSelection(t);
  InvalAppWindowPort(&gMainEditorRecord);
  // Faster while the pointer stays out, but never below the floor: it keeps scrolling there.
  t->interval = std::max(kAutoscrollFloorInterval, t->interval / kAutoscrollSpeedUp);
  return step;
}

void RunSelectionAutoscroll(EventLoopTimerRef timer, void*) {
  SelectionTracker* t = gSelectionTracker;
  if (!t || !gMainEditorRecord.window) return;
  Point pt;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(gMainEditorRecord.window);
  GetMouse(&pt);
  SetPort(saved);
  AutoscrollSelectionAt(pt.h);
  if (timer == t->timer) SetEventLoopTimerNextFireTime(timer, t->interval);
}
