#include "editors/note_moves/note_drag.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_entry/note_values.h"
#include "editors/note_moves/drag_outlines.h"
#include "editors/note_moves/follow_hold.h"
#include "editors/note_moves/mouse_follow.h"
#include "editors/note_moves/selected_event_walk.h"
#include "editors/selection/event_hit_test.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/key_codes.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/geometry.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/event_records.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_lists.h"
#include "song/events/event_sort.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

uint8_t gAxisLockPreference = 0;

namespace {

constexpr int16_t kRowViewOffsetH = 3, kRowViewOffsetV = 5;
constexpr int16_t kDrumViewMode = 16;

// The byte offset of the first record of the current track equal to the 14 bytes, or -1.
int32_t FindRecord(const uint8_t* record) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return -1;
  auto* base = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  for (uint32_t at = 0; at < size && SeqEventTime(base + at) != 0;) {
    uint32_t length = SeqEventLengthWithin(base + at, size - at);
    if (length == 0) break;
    if (length == kLongEventSize && std::memcmp(base + at, record, kLongEventSize) == 0) return int32_t(at);
    at += length;
  }
  return -1;
}

// The procedure's words: args[0] the time change, args[1] the pitch change, args[2] set once
// the track's edit bracket is open.
void MoveOne(uint8_t* e, PerEventProcedure* s) {
  if (SeqEventKind(e) != kKindNote) return;
  if (!s->args[2]) {
    if (BeginTrackEdit() != noErr) return;
    s->args[2] = 1;
  }
  SetSeqEventTime(e, uint32_t(int64_t(SeqEventTime(e)) + s->args[0]));
  e[kEventData1] = uint8_t(e[kEventData1] + s->args[1]);
  TrackLengthAtLeast(SeqEventTime(e) + GetNoteDuration(e));
}

void SortMovedTrack(PerEventProcedure* s) {
  if (!s->args[2]) return;
  SortTrackEvents();
  EndTrackEdit();
  s->args[2] = 0;
}

// The room of the notes a move takes: the earliest start and the pitch bounds.
void NoteRoom(uint8_t* e, PerEventProcedure* s) {
  if (SeqEventKind(e) != kKindNote) return;
  s->args[0] = std::min<int32_t>(s->args[0], int32_t(std::min<uint32_t>(SeqEventTime(e), INT32_MAX)));
  s->args[1] = std::min<int32_t>(s->args[1], e[kEventData1]);
  s->args[2] = std::max<int32_t>(s->args[2], e[kEventData1]);
  ++s->result;
}

void SetRoom(NoteDragState* state, int32_t earliest, int32_t low, int32_t high) {
  state->minDt = 1 - earliest;
  state->minPitch = int16_t(-low);
  state->maxPitch = int16_t(127 - high);
}

void MoveSingleNote(NoteDragState* state, int32_t dt, int32_t dpitch, bool single) {
  int32_t at = FindRecord(gEventTemplate);
  uint8_t* e = CurrentTrackRecordAt(at);
  if (!e || BeginTrackEdit() != noErr) return;
  SetSeqEventTime(gEventTemplate, uint32_t(int64_t(SeqEventTime(gEventTemplate)) + dt));
  if (!single) gEventTemplate[kEventData1] = uint8_t(gEventTemplate[kEventData1] + dpitch);
  std::memcpy(e, gEventTemplate, single ? kEventData1 : kEventData2);  // time, flags, status (and pitch)
  SortTrackEvents();
  TrackLengthAtLeast(SeqEventTime(gEventTemplate) + GetNoteDuration(gEventTemplate));
  EndTrackEdit();
  (void)state;
}

// The pitch range of the selection follows a move of the selection (not while it is every pitch).
void ShiftPitchRange(int32_t dpitch) {
  if (dpitch == 0 || (gFilterLowNote == 0 && gFilterHighNote == 127)) return;
  gFilterLowNote = uint8_t(std::clamp<int32_t>(gFilterLowNote + dpitch, 0, 127));
  gFilterHighNote = uint8_t(std::clamp<int32_t>(gFilterHighNote + dpitch, 0, 127));
}

int32_t SnapToGridOffset(int32_t time, int32_t gridOffset) {
  int32_t value = std::max<int32_t>(GetNoteValue(), 1);
  int32_t base = SnapTimeToGrid(time, value, true, false, nullptr);
  return std::max(base + gridOffset, 1);
}

void DecideAxis(NoteDragState* state, Point pt, int16_t* axis) {
  int32_t dx = std::abs(pt.h - state->click.h), dy = std::abs(pt.v - state->click.v);
  if (std::max(dx, dy) <= kAxisDecisionSlop) return;
  if (dx >= 2 && dx >= dy) {
    *axis = kDragAxisTime;
  } else if (dy >= 2 && dy > dx) {
    *axis = kDragAxisPitch;
    state->offsetH = int16_t(state->offsetH + (pt.h - state->click.h));  // the time stays put
  }
}

void ShowDragReadout(NoteDragState* state, Point) {
  DrawNoteReadout(int32_t(SeqEventTime(gEventTemplate)), gEventTemplate[kEventData1], kNoReadoutEnd,
                  kNoReadoutVelocity);
  (void)state;
}

// The selected notes of the selected panes get copies that stay behind; the notes keep moving.
void CopySelectedNotes() {
  PerEventProcedure copy;
  static std::vector<uint8_t> copies;  // the copies of the track being walked
  copies.clear();
  copy.wholeList = true;
  copy.proc = [](uint8_t* e, PerEventProcedure*) {
    if (SeqEventKind(e) != kKindNote) return;
    size_t at = copies.size();
    copies.resize(at + kLongEventSize);
    std::memcpy(&copies[at], e, kLongEventSize);
    copies[at + kEventFlags] &= uint8_t(~kEventSelected);
  };
  copy.finish = [](PerEventProcedure*) {
    if (copies.empty() || BeginTrackEdit() != noErr) return;
    for (size_t at = 0; at < copies.size(); at += kLongEventSize) {
      std::memcpy(gEventTemplate, &copies[at], kLongEventSize);
      InsertTemplateEvent(SeqEventTime(gEventTemplate));
    }
    EndTrackEdit();
    copies.clear();
  };
  RunPerEventProcedure(&copy);
}

// The clicked note alone becomes the selected one of its track.
void SelectOnlyNote(int32_t offset) {
  ForEachCurrentTrackNote([](uint8_t* e, void*) { e[kEventFlags] &= uint8_t(~kEventSelected); }, nullptr);
  if (uint8_t* e = CurrentTrackRecordAt(offset)) e[kEventFlags] |= kEventSelected;
}

struct NoteDragRun {
  NoteDragState state;
  int32_t offset;
  uint32_t modifiers;
  int16_t axis;
  int16_t result;
};

void PrepareDrag(NoteDragRun* run) {
  NoteDragState& s = run->state;
  uint8_t* note = CurrentTrackRecordAt(run->offset);
  PerEventProcedure room;
  room.proc = NoteRoom;
  room.args[0] = INT32_MAX;
  room.args[1] = 127;
  room.wholeList = true;
  if (note[kEventFlags] & kEventSelected) RunPerEventProcedure(&room);
  s.mode = room.result > 1 ? kMoveSelection : kMoveSingleNote;
  if (s.mode == kMoveSingleNote) {
    SelectOnlyNote(run->offset);
    SetRoom(&s, s.noteTime, s.notePitch, s.notePitch);
  } else {
    SetRoom(&s, room.args[0], room.args[1], room.args[2]);
  }
  std::memcpy(gEventTemplate, CurrentTrackRecordAt(run->offset), kLongEventSize);
  GetPaneContentRect(gCurrentPaneIndex, &s.limit);
}

int32_t RunNoteDrag(void* context) {
  auto* run = static_cast<NoteDragRun*>(context);
  SetCurrentUndoKind(kNoteEditUndoKind);
  if (!CurrentTrackRecordAt(run->offset)) return 0;
  PrepareDrag(run);
  bool copy = (run->modifiers & optionKey) && !(run->modifiers & shiftKey);
  if (copy && run->state.mode == kMoveSelection) {
    CopySelectedNotes();
  } else if (copy && BeginTrackEdit() == noErr) {
    uint8_t moving[kLongEventSize];
    std::memcpy(moving, gEventTemplate, kLongEventSize);
    gEventTemplate[kEventFlags] &= uint8_t(~kEventSelected);
    InsertTemplateEvent(SeqEventTime(gEventTemplate));  // the copy stays; the note moves on
    std::memcpy(gEventTemplate, moving, kLongEventSize);
    EndTrackEdit();
  }
  run->result = TrackNoteDrag(run->state.mode, &run->state, run->state.limit, &run->axis, ShowDragReadout);
  return 1;
}

}  // namespace

void SetDragOffsets(NoteDragState* state, const Rect& noteRect) {
  state->offsetH = int16_t(state->click.h - noteRect.left);
  state->offsetV = int16_t(state->click.v - noteRect.top);
  if (gCurrentViewMode == kRowViewMode) {
    state->offsetH = int16_t(state->offsetH - kRowViewOffsetH);
    state->offsetV = int16_t(state->offsetV - kRowViewOffsetV);
  } else if (gCurrentViewMode == kDrumViewMode) {
    state->offsetH = int16_t(state->offsetH + 1);
    state->offsetV = 0;
  }
}

void MoveNotesBy(int16_t mode, NoteDragState* state, int32_t dt, int32_t dpitch, bool audition, bool single) {
  (void)audition;  // the moved notes are not played while dragging
  if (dt == 0 && dpitch == 0) return;
  if (mode == kMoveSingleNote) {
    MoveSingleNote(state, dt, dpitch, single);
  } else {
    PerEventProcedure move;
    move.proc = MoveOne;
    move.finish = SortMovedTrack;
    move.args[0] = dt;
    move.args[1] = dpitch;
    move.wholeList = true;
    RunPerEventProcedure(&move);
    ShiftPitchRange(dpitch);
    SetSeqEventTime(gEventTemplate, uint32_t(int64_t(SeqEventTime(gEventTemplate)) + dt));
    gEventTemplate[kEventData1] = uint8_t(gEventTemplate[kEventData1] + dpitch);
  }
  state->dt += dt;
  state->dpitch = int16_t(state->dpitch + dpitch);
  state->moved = true;
  RedrawEventListWindow();
  InvalidateEditorWindow();
}

void ApplyNoteDragDelta(NoteDragState* state, Point where, int16_t axis) {
  int32_t time = SnapTimeToGrid(XToTime(where.h - state->offsetH), 0, gSnapSwitch != 0, true, nullptr);
  if (state->mode == kMoveSelectionOnGrid) time = SnapToGridOffset(time, state->gridOffset);
  int32_t dt = axis == kDragAxisPitch ? 0 : time - state->noteTime;
  int32_t dpitch = 0;
  if (axis == kDragAxisPitch || axis == kDragAxisFree) dpitch = PitchAtY(where.v) - PitchAtY(state->click.v);
  dt = std::max(dt, state->minDt);
  dpitch = std::clamp<int32_t>(dpitch, state->minPitch, state->maxPitch);
  MoveNotesBy(state->mode, state, dt - state->dt, dpitch - state->dpitch, true, false);
}

namespace {

// The outline of the dragged notes where the drag has put them so far.
RgnHandle DraggedNoteFrames(int16_t mode) {
  return mode == kMoveSingleNote ? NoteFrame(gEventTemplate) : SelectedNoteFrames();
}

int16_t FollowNoteDrag(int16_t mode, NoteDragState* state, Rect limit, int16_t* axis, NoteDragFeedback feedback,
                       DragOutline* outline) {
  Point last = state->click;
  ShowDragOutline(outline, DraggedNoteFrames(mode));
  for (;;) {
    Point pt = last;
    MouseFollowStep step = FollowEditorMouse(&pt, nullptr);
    if (step == kPointerCancelled) return kDragReleasedOutside;
    bool inside = PtInRect(pt, &limit);
    if (pt.h != last.h || pt.v != last.v) {
      last = pt;
      if (*axis == kDragAxisUndecided) DecideAxis(state, pt, axis);
      if (inside) ApplyNoteDragDelta(state, pt, *axis);
      ShowDragOutline(outline, DraggedNoteFrames(mode));
      feedback(state, pt);
    }
    if (step != kPointerReleased) continue;
    if (!inside) return kDragReleasedOutside;
    if (*axis == kDragAxisUndecided) *axis = kDragAxisTime;
    if (!state->moved && mode == kMoveSelection) ApplyNoteDragDelta(state, pt, *axis);
    return 0;
  }
}

}  // namespace

int16_t TrackNoteDrag(int16_t mode, NoteDragState* state, Rect limit, int16_t* axis, NoteDragFeedback feedback) {
  if (!feedback) return kNoFeedbackProc;
  SetFollowHold(false);
  DragOutline outline;
  int16_t result = FollowNoteDrag(mode, state, limit, axis, feedback, &outline);
  HideDragOutline(&outline);
  SetFollowHold(true);
  return result;
}

bool MoveSelectedNotes(uint32_t modifiers) {
  const uint8_t* note = CurrentTrackRecordAt(gHitEventOffset);
  if (!note || SeqEventKind(note) != kKindNote) return false;
  NoteDragRun run{};
  NoteDragState& s = run.state;
  std::memcpy(s.note, note, kLongEventSize);
  s.noteTime = int32_t(std::min<uint32_t>(SeqEventTime(note), INT32_MAX));
  s.notePitch = note[kEventData1];
  s.click = gLastMousePoint;
  s.gridOffset = s.noteTime - SnapTimeToGrid(s.noteTime, std::max<int32_t>(GetNoteValue(), 1), true, false, nullptr);
  SetDragOffsets(&s, gNoteRect);
  bool locked = gAxisLockPreference != 0;
  if (modifiers & shiftKey) locked = !locked;
  run.axis = locked ? kDragAxisUndecided : kDragAxisFree;
  gReadoutMode = run.axis;
  run.offset = gHitEventOffset;
  run.modifiers = modifiers;
  uint8_t scope[kTrackSelectionBytes];
  GetSelectedPaneTracks(scope);
  DrawNoteReadout(s.noteTime, s.notePitch, kNoReadoutEnd, kNoReadoutVelocity);
  int32_t ran = RunUndoableEditInScope(RunNoteDrag, scope, &run);
  gReadoutMode = 0;
  if (!ran) return false;
  if (run.result != 0) {  // cancelled: the step is taken back whole, copies included, and forgotten
    CancelLastEdit();
    InvalidateEditorWindow();
    RedrawEventListWindow();
    return false;
  }
  return true;
}
