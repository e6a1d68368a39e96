#include "editors/note_entry/note_pencil.h"

#include <algorithm>
#include <cstring>

#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/classic_events.h"
#include "platform/memory/memory.h"
#include "shell/base/arithmetic.h"
#include "shell/drawing/row_metrics.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

uint8_t gNoteEntryVelocity = kDefaultEntryVelocity;
int16_t gNoteLengthPercent = kDefaultNoteLengthPercent;
uint8_t gNoteEntryChannel = 0;

namespace {

// The Undo item's names of the pencil's steps.
constexpr int32_t kUndoKindInsert = 2;
constexpr int32_t kUndoKindDelete = 3;

struct PencilStroke {
  Point where;
  bool resize;
  int32_t changed;
};

// Calls visit (offset, event) for every record of the current track's list, bounded by the
// list's size; stops at a damaged record.
template <typename Visit>
void WalkCurrentTrackEvents(Visit visit) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  auto* base = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  for (uint32_t at = 0; at < size && SeqEventTime(base + at) != 0;) {
    uint32_t length = SeqEventLengthWithin(base + at, size - at);
    if (length == 0) return;
    visit(at, base + at);
    at += length;
  }
}

bool IsNoteAt(const uint8_t* e, int32_t time, int32_t pitch) {
  return SeqEventKind(e) == kKindNote && int32_t(SeqEventTime(e)) == time && e[kEventData1] == pitch;
}

OSErr InsertPencilNote(int32_t time, int32_t pitch) {
  return InsertNoteAt(time, pitch, gNoteEntryVelocity, EnteredNoteLength(time));
}

// Notes at every grid step after from up to to (either direction), where none starts yet.
void FillGridStepsBetween(int32_t from, int32_t to, int32_t pitch, PencilStroke* stroke) {
  int32_t grid = GetSnapGrid();
  int32_t dir = to > from ? 1 : -1;
  for (int32_t t = from + dir * grid; dir > 0 ? t <= to : t >= to; t += dir * grid) {
    int32_t at = SnapTimeToGrid(t, grid, gSnapSwitch != 0, true, nullptr);
    if (HasNoteStartingAt(at, pitch) || InsertPencilNote(at, pitch) != noErr) continue;
    stroke->changed = 1;
  }
}

// While the button is held, the pointer's later grid steps get notes too.
void FollowPencilStroke(int32_t time, int32_t pitch, PencilStroke* stroke) {
  int32_t last = time;
  while (StillDown()) {
    Point mouse;
    GetMouse(&mouse);
    int32_t now = SnappedTimeAtX(mouse.h);
    if (now == last) continue;
    FillGridStepsBetween(last, now, pitch, stroke);
    last = now;
  }
}

int32_t RunPencilStroke(void* context) {
  auto* stroke = static_cast<PencilStroke*>(context);
  if (BeginTrackEdit() != noErr) return 1;
  SetCurrentUndoKind(kUndoKindInsert);
  if (stroke->where.h < gTimelineFrame.originX) {
    // The keyboard column enters the note at the selection start.
    int32_t time = std::max<int32_t>(int32_t(gTimeSelection.start.tick), 1);
    if (InsertPencilNote(time, PitchAtPaneY(stroke->where.v)) == noErr) stroke->changed = 1;
    EndTrackEdit();
    return 0;
  }
  int32_t hit = stroke->resize ? -1 : FindNoteAtPoint(stroke->where);
  if (hit >= 0) {
    RemoveCursorEvent(reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList())) + hit);
    SetCurrentUndoKind(kUndoKindDelete);
    stroke->changed = 1;
  } else {
    int32_t pitch = PitchAtPaneY(stroke->where.v);
    int32_t time = SnappedTimeAtX(stroke->where.h);
    if (!stroke->resize && !HasNoteStartingAt(time, pitch) && InsertPencilNote(time, pitch) == noErr)
      stroke->changed = 1;
    FollowPencilStroke(time, pitch, stroke);
  }
  EndTrackEdit();
  return 0;
}

}  // namespace

void SetVelocityFromDigit(int16_t k) {
  gNoteEntryVelocity = uint8_t(ClampMidiByte(MulDivRound(127, k, 9) + 4));
  InvalidateEditorWindow();
}

bool HasNoteStartingAt(int32_t time, int32_t pitch) {
  bool found = false;
  WalkCurrentTrackEvents([&](uint32_t, uint8_t* e) { found = found || IsNoteAt(e, time, pitch); });
  return found;
}

OSErr InsertNoteAt(int32_t time, int32_t pitch, int32_t velocity, uint16_t length) {
  OSErr err = EnsureTrackEventList();
  if (err != noErr) return err;
  FillLongEvent(gEventTemplate, uint32_t(time), uint8_t(kKindNote | (gNoteEntryChannel & 0x0F)), uint8_t(pitch),
                uint8_t(ClampMidiByte(velocity)), length);
  err = InsertTemplateEvent(uint32_t(time));
  if (err != noErr) return err;
  TrackLengthAtLeast(uint32_t(time) + length);
  NoteWasEntered();
  return noErr;
}

int16_t PitchAtPaneY(int16_t y) { return GetPitchAtY(int16_t(y - gTimelineFrame.top)); }

int32_t FindNoteAtPoint(Point where) {
  int32_t found = -1;
  int32_t savedLoopOffset = gLoopDrawOffset;
  gLoopDrawOffset = 0;
  // The row under the point is the one the pencil draws into, so that a note just drawn is
  // found again wherever in its row the click lies.
  int32_t pitch = PitchAtPaneY(where.v);
  WalkCurrentTrackEvents([&](uint32_t at, uint8_t* e) {
    if (SeqEventKind(e) != kKindNote || e[kEventData1] != pitch) return;
    ComputeNoteRect(e);
    if (where.h >= gNoteRect.left && where.h < gNoteRect.right) found = int32_t(at);
  });
  gLoopDrawOffset = savedLoopOffset;
  return found;
}

uint16_t EnteredNoteLength(int32_t time) {
  int64_t length = int64_t(SwingOffset(time, SwingForGrid(GetNoteValue()))) * gNoteLengthPercent / 100;
  return uint16_t(std::clamp<int64_t>(length, 1, kMaxNoteDuration));
}

int32_t DrawOrEraseNotesAt(Point where, bool resize) {
  PencilStroke stroke{where, resize, 0};
  if (!RunUndoableEditForCurrentTrack(RunPencilStroke, &stroke)) return 0;
  if (stroke.changed) {
    SetSongModified();
    InvalidateEditorWindow();
    RedrawEventListWindow();
  }
  return stroke.changed;
}
