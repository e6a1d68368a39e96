#include "song/events/event_filter_slots.h"
#include "song/events/utility_event_selection.h"

#include "platform/memory/memory.h"
#include "song/events/event_lists.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint8_t gSelectionLowNote = 127;
uint8_t gSelectionHighNote = 0;
uint8_t gEditorModeByte = 0;

namespace {

constexpr int16_t kMainEditorKind = 4;

bool AcceptEvery(const uint8_t*) { return true; }

// Calls visit for each record of the current track's list (locked for the walk) until it
// returns false; gCurrentEvent points at the record being visited.
template <typename Visit>
void WalkCurrentTrackEvents(uint8_t* from, Visit visit) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  int8_t state = HGetState(list);
  HLock(list);
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* limit = start + GetHandleSize(list);
  // One walk that stops where FindEventListEnd does: at the end record or a damaged record.
  for (uint8_t* e = from ? from : start; limit - e >= kEndRecordSize && SeqEventTime(e) != 0;) {
    uint32_t length = SeqEventLengthWithin(e, uint32_t(limit - e));
    if (length == 0) break;
    gCurrentEvent = e;
    if (!visit(e)) break;
    e += length;
  }
  HSetState(list, state);
}

void WidenNoteBounds(uint8_t note) {
  if (note < gSelectionLowNote) gSelectionLowNote = note;
  if (note > gSelectionHighNote) gSelectionHighNote = note;
}

}  // namespace

void ClearEventSelection() {
  WalkCurrentTrackEvents(nullptr, [](uint8_t* e) {
    e[kEventFlags] &= uint8_t(~kEventSelected);
    return true;
  });
}

bool IsCursorEventSelected() { return gCurrentEvent && IsEventSelected(gCurrentEvent); }

void UpdateCursorEventSelection(int32_t request) {
  if (!gCurrentEvent) return;
  uint8_t& flags = gCurrentEvent[kEventFlags];
  if ((request & 0x02) && (flags & kEventSelected))
    flags &= uint8_t(~kEventSelected);
  else if ((request & 0x04) && !(flags & kEventSelected))
    flags |= kEventSelected;
}

uint32_t GetEventEndTime(const uint8_t* event) {
  uint32_t time = SeqEventTime(event);
  if (SeqEventKind(event) == kKindNote) {
    uint16_t duration = GetNoteDuration(event);
    return time + (duration < 1 ? 1 : duration);
  }
  if (SeqEventKind(event) == kKindSequenceRef) return time + GetEventLongDuration(event);
  return time + 1;
}

void ExtendSelectionToEvent(uint32_t t, bool /*useDrum*/) {
  uint32_t start = gTimeSelection.start.tick < 1 ? 1 : gTimeSelection.start.tick;
  if (t < start) start = t;
  uint32_t end = gTimeSelection.end.tick;
  if (gCurrentEvent) {
    uint32_t eventEnd = GetEventEndTime(gCurrentEvent);
    if (eventEnd > end) end = eventEnd;
    if (SeqEventKind(gCurrentEvent) == kKindNote) WidenNoteBounds(gCurrentEvent[kEventData1]);
  }
  SetTimeRange(start, end);
}

void RecomputeSelectionFromEvents(bool collapse) {
  bool first = true;
  WalkCurrentTrackEvents(nullptr, [&](uint8_t* e) {
    if (!(e[kEventFlags] & kEventSelected)) return true;
    if (first && collapse) {
      SetTimeRangeAt(SeqEventTime(e));
      gSelectionLowNote = 127;
      gSelectionHighNote = 0;
    }
    first = false;
    ExtendSelectionToEvent(SeqEventTime(e), false);
    return true;
  });
}

int32_t TestEventInSelection(const uint8_t* event, EventPredicate predicate) {
  uint32_t time = SeqEventTime(event);
  bool accepted = predicate ? predicate(event) : true;
  if (IsTimeInSelection(time)) return accepted ? 1 : 0;
  if (time == 0 || time >= gTimeSelection.end.tick || gEditorModeByte >= 128) return -1;
  if (SeqEventKind(event) == kKindNote && accepted &&
      GetEventEndTime(event) > gTimeSelection.start.tick)
    return 1;
  return 0;
}

void SelectEventsInTimeSelection(int32_t toggle) {
  if (!GetCurrentTrackEventList() || !HasTimeSelection()) return;
  EventPredicate predicate = AcceptEvery;
  // The edit filter the editing commands installed, outside the main editor.
  if (GetFrontWindowKind() != kMainEditorKind && gEditFilterProc)
    predicate = [](const uint8_t* e) { return EventPassesFilter(gEditFilterProc, e); };
  uint8_t* from = nullptr;
  if (gEditorModeByte & 0x80)
    from = SeekEventList(GetCurrentTrackEventsPtr(), int32_t(gTimeSelection.start.tick));
  WalkCurrentTrackEvents(from, [&](uint8_t* e) {
    int32_t result = TestEventInSelection(e, predicate);
    if (result < 0) return false;
    if (result == 1) {
      if (toggle)
        e[kEventFlags] ^= kEventSelected;
      else
        e[kEventFlags] |= kEventSelected;
    }
    return true;
  });
}

// The front window's event filters are installed by the editing commands once they exist.
void SelectEventsInRange() { SelectEventsInTimeSelection(0); }

void ToggleEventsInRange() { SelectEventsInTimeSelection(1); }
