#include "editors/note_moves/note_velocity.h"

#include <algorithm>

#include "editors/note_entry/note_readout.h"
#include "editors/note_moves/drag_outlines.h"
#include "editors/note_moves/mouse_follow.h"
#include "editors/note_moves/selected_event_walk.h"
#include "editors/selection/event_hit_test.h"
#include "platform/memory/memory.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/event_records.h"
#include "shell/drawing/row_metrics.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

uint8_t* NoteAt(int32_t offset) {
  uint8_t* e = CurrentTrackRecordAt(offset);
  return e && SeqEventKind(e) == kKindNote ? e : nullptr;
}

void OffsetOne(uint8_t* event, PerEventProcedure* state) {
  if (SeqEventKind(event) != kKindNote) return;
  if (BeginTrackEdit() != noErr) return;
  OffsetNoteVelocity(event, state->args[0]);
  EndTrackEdit();
  state->result = 1;
}

// More than one selected note, the clicked one among them.
bool IsOneOfSeveralSelected(const uint8_t* clicked) {
  if (!(clicked[kEventFlags] & kEventSelected)) return false;
  PerEventProcedure count;
  count.proc = [](uint8_t* e, PerEventProcedure* s) {
    if (SeqEventKind(e) == kKindNote && ++s->result > 1) s->stop = true;
  };
  RunPerEventProcedure(&count);
  return count.result > 1;
}

struct VelocityDrag {
  int32_t offset;     // of the clicked note in the current track's list
  int32_t velocity;   // the clicked note's velocity at the press
  int32_t change;
};

// Follows the pointer; the stems show the velocities as they would become, and the readout
// the clicked note's.
int32_t FollowVelocityDrag(const VelocityDrag& drag, const uint8_t* note, DragOutline* outline) {
  Point start = gLastMousePoint, pt = start;
  bool several = IsOneOfSeveralSelected(note);
  int32_t shown = -1;
  for (;;) {
    MouseFollowStep step = FollowEditorMouse(&pt, nullptr);
    if (step == kPointerCancelled) return 0;
    int32_t change = kVelocityPerPixel * (int32_t(start.v) - pt.v);
    if (change != shown) {
      shown = change;
      ShowDragOutline(outline, ChangedVelocityStems(note, several, change));
      DrawNoteReadout(int32_t(SeqEventTime(note)), note[kEventData1], kNoReadoutEnd,
                      ClampMidiByte(drag.velocity + change));
    }
    if (step == kPointerReleased) return change;
  }
}

int32_t ApplyVelocityDrag(void* context) {
  auto* drag = static_cast<VelocityDrag*>(context);
  uint8_t* note = NoteAt(drag->offset);
  if (!note) return 0;
  SetCurrentUndoKind(kNoteEditUndoKind);
  if (IsOneOfSeveralSelected(note)) {
    OffsetSelectedVelocities(drag->change);
  } else if (BeginTrackEdit() == noErr) {
    OffsetNoteVelocity(note, drag->change);
    EndTrackEdit();
  }
  note = NoteAt(drag->offset);
  if (note) {
    gEventTemplate[kEventData2] = note[kEventData2];
    DrawNoteReadout(int32_t(SeqEventTime(note)), note[kEventData1], kNoReadoutEnd, note[kEventData2] & 0x7F);
  }
  return 1;
}

int32_t RunStep(void* context) {
  SetCurrentUndoKind(kNoteEditUndoKind);
  OffsetSelectedVelocities(*static_cast<int32_t*>(context));
  return 1;
}

}  // namespace

void OffsetNoteVelocity(uint8_t* note, int32_t offset) {
  uint8_t v = note[kEventData2];
  note[kEventData2] = uint8_t((v & 0x80) | ClampMidiByte((v & 0x7F) + offset));
}

void OffsetSelectedVelocities(int32_t offset) {
  PerEventProcedure state;
  state.proc = OffsetOne;
  state.args[0] = offset;
  RunPerEventProcedure(&state);
  if (!state.result) return;
  RedrawEventListWindow();
  InvalidateEditorWindow();
  SetSongModified();
  DrawNoteReadout(gReadoutLastTime, gReadoutLastValue, kNoReadoutEnd, kNoReadoutVelocity);
}

bool DragNoteVelocity() {
  if (IsCurrentPaneDrumView()) return false;  // the drum map's own velocity editor takes those
  const uint8_t* note = NoteAt(gHitEventOffset);
  if (!note) return false;
  VelocityDrag drag{gHitEventOffset, note[kEventData2] & 0x7F, 0};
  SetCursorResource(kVelocityDragCursor);
  DragOutline outline;
  drag.change = FollowVelocityDrag(drag, note, &outline);
  HideDragOutline(&outline);
  SetCursorResource(kArrowCursorId);
  if (drag.change == 0) return false;
  uint8_t scope[kTrackSelectionBytes];
  GetSelectedPaneTracks(scope);
  if (!RunUndoableEditInScope(ApplyVelocityDrag, scope, &drag)) return false;
  SetSongModified();
  InvalidateEditorWindow();
  RedrawEventListWindow();
  return true;
}

void StepSelectedVelocities(int32_t offset) {
  uint8_t scope[kTrackSelectionBytes];
  GetSelectedPaneTracks(scope);
  RunUndoableEditInScope(RunStep, scope, &offset);
}
