#include "editing/selection_spans.h"

#include <cstdint>

#include "editors/timeline/click_state.h"
#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint8_t kSelectionExcluded = kEventSelected | kEventMarks;

void WidenFilterNotes(uint8_t note) {
  if (note < gFilterLowNote) gFilterLowNote = note;
  if (note > gFilterHighNote) gFilterHighNote = note;
}

}  // namespace

void SpanSelectedEvents() {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* stop = FindEventListEnd(start, GetHandleSize(list));
  bool found = false;
  uint32_t first = 0, last = 0;
  for (uint8_t* e = start; e < stop;) {
    uint32_t length = GetSeqEventLength(e);
    if (length == 0) break;  // a damaged record ends the walk
    uint8_t* next = e + length;
    if ((e[kEventFlags] & kSelectionExcluded) != kEventSelected) {
      e = next;
      continue;
    }
    uint32_t tick = SeqEventTime(e) < 1 ? 1 : SeqEventTime(e);
    uint32_t end = GetEventEndTime(e);
    if (!found || tick < first) first = tick;
    if (!found || end > last) last = end;
    found = true;
    if (SeqEventKind(e) == kKindNote) WidenFilterNotes(e[kEventData1]);
    e = next;
  }
  if (found) SetTimeRange(first, last);
}

void SpanSelectedConductorRecords() {
  int64_t low = gTimeSelection.start.tick;
  int64_t high = int64_t(gTimeSelection.end.tick) - 1;
  bool found = false;
  for (const uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize) {
    if (!(r[kConductorFlagsOffset] & kConductorSelected)) continue;
    int64_t tick = ConductorTick(r);
    if (tick < low) low = tick;
    if (tick > high) high = tick;
    found = true;
  }
  if (!found) return;
  if (high == 0) low = 1;
  SetTimeRange(uint32_t(low < 0 ? 0 : low), uint32_t(high + 1));
}
