#include "editors/note_moves/note_durations.h"

#include <algorithm>

#include "editing/nudge_amount.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_moves/drag_outlines.h"
#include "editors/note_moves/mouse_follow.h"
#include "editors/note_moves/selected_event_walk.h"
#include "editors/selection/event_hit_test.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/cursors.h"
#include "platform/memory/memory.h"
#include "shell/base/event_records.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

// The procedure's words: args[0] the delta, args[1] show; result the latest end.
void ChangeOne(uint8_t* note, PerEventProcedure* state) {
  if (SeqEventKind(note) != kKindNote || BeginTrackEdit() != noErr) return;
  bool changeable = GetNoteDuration(note) != kLongNoteDuration;
  uint32_t end = ChangeNoteDuration(note, state->args[0]);
  if (changeable) {
    TrackLengthAtLeast(end);
    if (state->args[1] && state->result == 0)
      DrawNoteReadout(int32_t(SeqEventTime(note)), note[kEventData1], int32_t(end), kNoReadoutVelocity);
    state->result = std::max<int32_t>(state->result, int32_t(std::min<uint32_t>(end, INT32_MAX)));
  }
  EndTrackEdit();
}

int32_t RunNudge(void* context) {
  SetCurrentUndoKind(kNoteEditUndoKind);
  ChangeSelectedDurations(*static_cast<int32_t*>(context), true);
  return 1;
}

struct LengthDrag {
  int32_t start;
  int32_t pitch;
  bool snap;
  int32_t end;
};

int32_t SnappedEndAt(const LengthDrag& drag, int16_t x) {
  int32_t end = SnapTimeToGrid(XToTime(x), 0, drag.snap, true, nullptr);
  return std::max(end, drag.start + 1);
}

}  // namespace

uint32_t ChangeNoteDuration(uint8_t* note, int32_t delta) {
  uint32_t start = SeqEventTime(note);
  uint16_t duration = GetNoteDuration(note);
  if (duration == kLongNoteDuration) {
    ShowLongNoteReadout();
    return start;
  }
  int32_t length = std::clamp<int32_t>(int32_t(duration) + delta, 1, kMaxNoteLength);
  SetNoteDuration(note, uint16_t(length));
  return start + uint32_t(length);
}

uint32_t ChangeSelectedDurations(int32_t delta, bool show) {
  PerEventProcedure state;
  state.proc = ChangeOne;
  state.args[0] = delta;
  state.args[1] = show ? 1 : 0;
  RunPerEventProcedure(&state);
  RedrawEventListWindow();
  InvalidateEditorWindow();
  SetSongModified();
  return uint32_t(state.result);
}

void NudgeSelectedDurations(int16_t direction) {
  int32_t delta = direction * std::min<int32_t>(GetNudgeAmount(), kMaxNoteLength);
  uint8_t scope[kTrackSelectionBytes];
  GetSelectedPaneTracks(scope);
  RunUndoableEditInScope(RunNudge, scope, &delta);
}

int16_t DragNoteLength(bool snap, int32_t* length) {
  const uint8_t* note = CurrentTrackRecordAt(gHitEventOffset);
  if (!note) return -1;
  LengthDrag drag{int32_t(SeqEventTime(note)), note[kEventData1], snap, 0};
  drag.end = drag.start + std::max<int32_t>(GetNoteDuration(note), 1);
  PerEventProcedure count;
  count.proc = [](uint8_t* e, PerEventProcedure* s) {
    if (SeqEventKind(e) == kKindNote && ++s->result > 1) s->stop = true;
  };
  if (note[kEventFlags] & kEventSelected) RunPerEventProcedure(&count);
  HideCursor();
  Point pt = gLastMousePoint;
  bool several = count.result > 1;
  DragOutline outline;
  int16_t shownX = int16_t(pt.h - 1);
  MouseFollowStep step;
  do {
    step = FollowEditorMouse(&pt, nullptr);
    if (pt.h != shownX) {  // the frames follow the pointer, the readout the snapped end
      shownX = pt.h;
      ShowDragOutline(&outline, LengthenedNoteFrames(CurrentTrackRecordAt(gHitEventOffset), several, pt.h,
                                                     int16_t(pt.h - gLastMousePoint.h)));
    }
    int32_t end = SnappedEndAt(drag, pt.h);
    if (end != drag.end) DrawNoteReadout(drag.start, drag.pitch, end, kNoReadoutVelocity);
    drag.end = end;
  } while (step == kPointerMoved);
  HideDragOutline(&outline);
  ShowCursor();
  if (step == kPointerCancelled) return -1;
  *length = drag.end - drag.start;
  return count.result > 1 ? 1 : 0;
}
