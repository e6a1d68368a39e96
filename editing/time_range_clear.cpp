#include "editing/time_range_clear.h"

#include "editing/event_cursor.h"
#include "editing/paste_options.h"
#include "song/events/event_lists.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/utility_track_access.h"

namespace {

struct RangeWalk {
  uint32_t start;
  uint32_t end;
  int32_t shift;
  bool split;
  bool resort = false;
  bool failed = false;
};

uint32_t NoteEnd(const uint8_t* e) { return SeqEventTime(e) + GetNoteDuration(e); }

bool IsSplittableNote(const RangeWalk& w) { return w.split && gEventCommand == kKindNote; }

uint32_t ShiftedTick(uint32_t t, int32_t shift) {
  int64_t moved = int64_t(t) + shift;
  return moved < 1 ? 1u : moved > INT32_MAX ? uint32_t(INT32_MAX) : uint32_t(moved);
}

// A note that spans the whole range without a shift becomes a head that ends at the range
// start (in place) and a tail from the range end. The tail goes in first, so that a failed
// insertion leaves the note as it was. Both are deselected.
void SplitSpanningNote(RangeWalk* w) {
  int32_t offset = GetEventCursorOffset();
  ShrinkCurrentTrackEvents(gRemovedEventBytes);
  gRemovedEventBytes = 0;
  SetEventCursor(offset);
  uint8_t* note = gCurrentEvent;
  uint32_t t = SeqEventTime(note);
  uint32_t end = NoteEnd(note);
  for (int32_t i = 0; i < kLongEventSize; ++i) gEventTemplate[i] = note[i];
  gEventTemplate[kEventFlags] &= uint8_t(~kEventSelected);
  SetEventDuration(gEventTemplate, int32_t(end - w->end));
  if (InsertTemplateEvent(w->end) != noErr) {
    w->failed = true;
    return;
  }
  SetEventCursor(offset);
  gCurrentEvent[kEventFlags] &= uint8_t(~kEventSelected);
  SetEventDuration(gCurrentEvent, int32_t(w->start - t));
}

// An event before the range start: a note that reaches into the range is cut at its start,
// or, spanning the range, split (no shift) or shortened by the removed length. Answers true
// when the walk must start again.
bool ClipNoteBeforeRange(RangeWalk* w) {
  uint8_t* e = gCurrentEvent;
  if (!IsSplittableNote(*w) || NoteEnd(e) <= w->start || !RunEventFilter(gCopyFilterProc)) return false;
  uint32_t t = SeqEventTime(e);
  if (NoteEnd(e) <= w->end) {
    SetEventDuration(e, int32_t(w->start - t));
  } else if (w->shift == 0) {
    SplitSpanningNote(w);
    return !w->failed;
  } else {
    SetEventDuration(e, int32_t(GetNoteDuration(e)) + w->shift);
  }
  return false;
}

// An event inside the range: kept when the filter rejects it, its tail kept when it is a
// note reaching beyond the range end, else removed with the run behind it.
void ClearEventInRange(RangeWalk* w) {
  uint8_t* e = gCurrentEvent;
  if (!RunEventFilter(gCopyFilterProc)) return;
  if (IsSplittableNote(*w) && NoteEnd(e) > w->end) {
    SetEventDuration(e, int32_t(NoteEnd(e) - w->end));
    SetSeqEventTime(e, ShiftedTick(w->end, w->shift));
    w->resort = true;
    return;
  }
  DeleteEventRunAtCursor();
}

}  // namespace

void ClearTimeRangeInTrack(ClearRequest* request) {
  RangeWalk w{gTimeSelection.start.tick, gTimeSelection.end.tick, request ? request->shift : 0,
              SplitsNotesAtEdges()};
  if (!GetCurrentTrackEventList() || w.end <= w.start) return;
  SeekEditStart();
  while (gCurrentEvent && SeqEventTime(gCurrentEvent) != 0) {
    uint32_t t = SplitCursorEvent();
    if (t >= w.end) {
      if (w.shift == 0) break;
      SetSeqEventTime(gCurrentEvent, ShiftedTick(t, w.shift));
      w.resort = true;
    } else if (t >= w.start) {
      ClearEventInRange(&w);
    } else if (ClipNoteBeforeRange(&w)) {
      SeekEditStart();
      continue;
    } else if (w.failed) {
      break;
    }
    AdvanceEventCursor();
  }
  ShrinkCurrentTrackEvents(gRemovedEventBytes);
  gRemovedEventBytes = 0;
  if (w.resort) SortTrackEvents();
  if (w.failed && request) request->abort = 1;
  SetSongModified();
}
