#include "song/events/event_filter.h"

#include <cmath>
#include <cstdlib>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/random_numbers.h"
#include "song/conductor/conductor_map.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

uint8_t gEventFilterFlags = 0;
uint32_t gFilterMinDuration = 0;
uint32_t gFilterMaxDuration = 0xFFFFFFFF;
uint32_t gFilterMinVelocity = 0;
uint32_t gFilterMaxVelocity = 127;
Handle gFilterPositionTable;
int32_t gFilterPositionTolerance = 0;
uint8_t gFilterInvert = 0;
int32_t gFilterPatternPeriod = 0;
int32_t gFilterPatternLength = 1;
uint8_t gFilterPercentage = 100;
int32_t gFilterPositionScale = 1;
uint8_t gEditNoteRange[2] = {0, 127};

namespace {

// What CountFilteredNotes counted last, and under which conditions.
struct NoteCountCache {
  uint32_t list = 0;
  Size listSize = -1;
  uint32_t selectionStart = 0;
  uint32_t selectionEnd = 0;
  uint8_t low = 0;
  uint8_t high = 0;
  Size offset = -1;   // offset of the last event counted up to
  int32_t count = -1;
};

NoteCountCache gNoteCount;

int32_t PositionCount() {
  if (!gFilterPositionTable || !IsValidHandle(gFilterPositionTable)) return -1;
  Size size = GetHandleSize(gFilterPositionTable);
  if (size < kFilterPositionsStart) return -1;
  int64_t stated = ReadU32BE(*gFilterPositionTable);
  int64_t room = (size - kFilterPositionsStart) / 4;
  return int32_t(stated < room ? stated : room);
}

bool InRange(uint32_t v, uint32_t low, uint32_t high) { return v >= low && v <= high; }

// The offset within ± tolerance of position p in a bar of length bar, the window wrapping over
// the bar's start and end.
bool NearPosition(int32_t offset, int32_t p, int32_t tolerance, int32_t bar) {
  if (std::abs(offset - p) <= tolerance) return true;
  if (bar <= 0) return false;
  if (p - tolerance < 0 && offset >= bar + (p - tolerance)) return true;
  if (p + tolerance >= bar && offset <= p + tolerance - bar) return true;
  return false;
}

// Only 14-byte records carry a duration; the others have none to test.
bool PassesDurationTest(const uint8_t* event) {
  if (GetEventLengthByKind(EventStatus(event)) != kLongEventSize) return true;
  return InRange(ReadU16BE(event + kEventDuration), gFilterMinDuration, gFilterMaxDuration);
}

bool PassesPositionTest(const uint8_t* event) {
  int32_t positions = PositionCount();
  if (positions < 0) return true;
  int32_t bar = 0, offset = 0;
  TickToBarAndOffset(int32_t(SeqEventTime(event)), &bar, &offset);
  int32_t barLength = gConductorState.ticksPerBar;
  bool near = false;
  for (int32_t i = 0; i < positions && !near; ++i)
    near = NearPosition(offset, int32_t(GetFilterPosition(i)), gFilterPositionTolerance, barLength);
  return gFilterInvert ? !near : near;
}

bool PassesPatternTest(const uint8_t* event) {
  int32_t k = CountFilteredNotes(event);
  if (k > 0 && gFilterPatternPeriod > 0) k %= gFilterPatternPeriod;
  return k >= 0 && k <= gFilterPatternLength - 1;
}

bool IsCountedNote(const uint8_t* e) {
  if (SeqEventKind(e) != kKindNote) return false;
  uint32_t t = SeqEventTime(e);
  if (t < gTimeSelection.start.tick || t >= gTimeSelection.end.tick) return false;
  return InRange(e[kEventData1], gEditNoteRange[0], gEditNoteRange[1]);
}

bool CacheMatches(Handle list, Size size) {
  return gNoteCount.list == list.id && gNoteCount.listSize == size &&
         gNoteCount.selectionStart == gTimeSelection.start.tick &&
         gNoteCount.selectionEnd == gTimeSelection.end.tick && gNoteCount.low == gEditNoteRange[0] &&
         gNoteCount.high == gEditNoteRange[1];
}

}  // namespace

double GetFilterPosition(int32_t i) {
  int32_t count = PositionCount();
  if (count < 0 || i < 0 || i >= count) return 0.0;
  float v = ReadF32BE(*gFilterPositionTable + kFilterPositionsStart + 4 * i);
  return double(v) * gFilterPositionScale;
}

int32_t PassesEventFilter() {
  const uint8_t* event = gCurrentEvent;
  if (!event) return 0;
  uint8_t flags = gEventFilterFlags;
  if ((flags & kFilterDuration) && !PassesDurationTest(event)) return 0;
  if ((flags & kFilterVelocity) && !InRange(event[kEventData2], gFilterMinVelocity, gFilterMaxVelocity))
    return 0;
  if ((flags & kFilterPositions) && !PassesPositionTest(event)) return 0;
  if ((flags & kFilterPattern) && !PassesPatternTest(event)) return 0;
  if ((flags & kFilterRandom) && RandomBelow(100) >= gFilterPercentage) return 0;
  return 1;
}

int32_t CountFilteredNotes(const uint8_t* event) {
  Handle list = gCurrentTrack ? Handle(ReadU32BE(gCurrentTrack + kTrackEventList)) : Handle();
  if (!list || !IsValidHandle(list) || !event) return -1;
  uint8_t* start = reinterpret_cast<uint8_t*>(*list);
  Size size = GetHandleSize(list);
  Size target = event - start;
  if (target < 0 || target >= size) return -1;
  Size offset = 0;
  int32_t count = -1;
  if (CacheMatches(list, size) && gNoteCount.offset >= 0 && gNoteCount.offset <= target) {
    if (gNoteCount.offset == target) return gNoteCount.count;
    uint32_t length = SeqEventLengthWithin(start + gNoteCount.offset, uint32_t(size - gNoteCount.offset));
    if (length == 0) return gNoteCount.count;
    count = gNoteCount.count;
    offset = gNoteCount.offset + length;
  }
  while (offset <= target && offset < size) {
    uint32_t length = SeqEventLengthWithin(start + offset, uint32_t(size - offset));
    if (IsCountedNote(start + offset)) ++count;
    if (length == 0 || offset == target) break;
    offset += length;
  }
  gNoteCount = {list.id, size, gTimeSelection.start.tick, gTimeSelection.end.tick,
                gEditNoteRange[0], gEditNoteRange[1], target, count};
  return count;
}

void InvalidateFilteredNoteCount() { gNoteCount = NoteCountCache(); }

int32_t PassesNoteRangeFilter() {
  const uint8_t* event = gCurrentEvent;
  if (!event || SeqEventKind(event) != kKindNote) return 0;
  if (!InRange(event[kEventData1], gEditNoteRange[0], gEditNoteRange[1])) return 0;
  return PassesEventFilter();
}
