#include "editors/note_entry/note_pencil.h"

#include <algorithm>
#include <cstring>

#include "editors/note_drawing/note_boxes.h"
#include "editors/follow/play_cursor.h"
#include "editors/follow/step_input.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_audition.h"
#include "editors/note_entry/note_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/classic_events.h"
#include "platform/memory/memory.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/sequencer_clock.h"
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

void SetCurrentChannel(int32_t channel) { gNoteEntryChannel = uint8_t(channel & 0x0F); }

namespace {

// The Undo item's names of the pencil's steps.
constexpr int32_t kUndoKindInsert = 2;
constexpr int32_t kUndoKindDelete = 3;

struct PencilStroke {
  Point where;
  bool resize;
  int32_t changed;
  uint32_t pressTicks;  // the system tick count at the press
  uint32_t lastRound;   // the tick count of the last velocity raise
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

// The byte offset of the first note of pitch that starts at time, or -1.
int32_t FindNoteStartingAt(int32_t time, int32_t pitch) {
  int32_t found = -1;
  WalkCurrentTrackEvents([&](uint32_t at, uint8_t* e) {
    if (found < 0 && IsNoteAt(e, time, pitch)) found = int32_t(at);
  });
  return found;
}

// A held button raises the velocity of the note of pitch at time, once a system tick.
void RaiseHeldNoteVelocity(int32_t time, int32_t pitch, PencilStroke* stroke) {
  uint32_t now = TickCount();
  if (now == stroke->lastRound) return;
  stroke->lastRound = now;
  int32_t raise = HeldVelocityRaise(now - stroke->pressTicks);
  int32_t at = raise > 0 ? FindNoteStartingAt(time, pitch) : -1;
  if (at < 0) return;
  uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList())) + at;
  uint8_t velocity = uint8_t(std::clamp<int32_t>(e[kEventData2] + raise, 0, 127));
  if (velocity == e[kEventData2]) return;
  e[kEventData2] = velocity;
  stroke->changed = 1;
}

// The note is entered and heard; noErr or the error that kept it out.
OSErr InsertPencilNote(int32_t time, int32_t pitch) {
  int32_t end = InsertAndAuditionNote(time, pitch, gNoteEntryVelocity, true, SwingForGrid(GetNoteValue()));
  return end > 0 ? noErr : memFullErr;
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
    if (now == last) {
      RaiseHeldNoteVelocity(now, pitch, stroke);
      continue;
    }
    FillGridStepsBetween(last, now, pitch, stroke);
    last = now;
  }
}

int32_t RunPencilStroke(void* context) {
  auto* stroke = static_cast<PencilStroke*>(context);
  if (BeginTrackEdit() != noErr) return 1;
  SetCurrentUndoKind(kUndoKindInsert);
  if (stroke->where.h < gTimelineFrame.originX) {
    // The keyboard column enters the note at the song position while playing, else at the
    // selection start, and step entry moves on.
    int32_t time = IsClockTaskPlaying() ? int32_t(GetPanePlayPosition())
                                        : std::max<int32_t>(int32_t(gTimeSelection.start.tick), 1);
    if (InsertPencilNote(time, PitchAtPaneY(stroke->where.v)) == noErr) {
      stroke->changed = 1;
      StepInputAdvance();
    }
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

bool HasNoteStartingAt(int32_t time, int32_t pitch) { return FindNoteStartingAt(time, pitch) >= 0; }

int32_t HeldVelocityRaise(uint32_t heldTicks) {
  if (heldTicks <= kHoldBeforeVelocityRaise) return 0;
  return std::max<int32_t>(int32_t((heldTicks - kHoldBeforeVelocityRaise) / kHeldTicksPerVelocityStep), 1);
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

uint16_t NoteLengthWithSwing(int32_t time, int32_t swing) {
  int64_t length = int64_t(SwingOffset(time, swing)) * gNoteLengthPercent / 100;
  return uint16_t(std::clamp<int64_t>(length, 1, kMaxNoteDuration));
}

uint16_t EnteredNoteLength(int32_t time) { return NoteLengthWithSwing(time, SwingForGrid(GetNoteValue())); }

int32_t DrawOrEraseNotesAt(Point where, bool resize) {
  PencilStroke stroke{where, resize, 0, TickCount(), TickCount()};
  if (!RunUndoableEditForCurrentTrack(RunPencilStroke, &stroke)) return 0;
  if (stroke.changed) {
    SetSongModified();
    InvalidateEditorWindow();
    RedrawEventListWindow();
  }
  return stroke.changed;
}
