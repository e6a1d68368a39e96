#include "song/events/event_sort.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "platform/memory/memory.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/utility_track_access.h"

// The list is sorted as a stable insertion sort would leave it: a record moves behind every
// later record with a smaller time and in front of the first record with an equal or larger
// time. Large lists are sorted through an index of the records and one scratch copy
// (O(n log n)); when no scratch memory can be had, the records are moved in place one by
// one, walking backwards.

namespace {

struct RecordRef {
  uint32_t time;
  uint32_t offset;
  uint32_t length;
};

// Number of records in front of stop.
size_t CountRecords(uint8_t* start, uint8_t* stop) {
  size_t n = 0;
  for (uint8_t* e = start; e < stop; e += GetSeqEventLength(e)) ++n;
  return n;
}

// The end of the records (where FindEventListEnd stops) and whether their times never fall
// before it, in one walk.
uint8_t* FindEndOfSortedRecords(uint8_t* start, Size size, bool* sorted) {
  uint32_t last = 0;
  *sorted = true;
  uint8_t* e = start;
  for (uint8_t* limit = start + size; limit - e >= kEndRecordSize;) {
    uint32_t time = SeqEventTime(e);
    if (time == 0) break;
    uint32_t length = SeqEventLengthWithin(e, uint32_t(limit - e));
    if (length == 0) break;
    if (time < last) *sorted = false;
    last = time;
    e += length;
  }
  return e;
}

// A stable sort of the index by time. An edit that puts a sorted block into a sorted list
// leaves two sorted runs: those are merged (linear) instead of sorted again.
void SortRefs(RecordRef* refs, size_t count) {
  auto earlier = [](const RecordRef& a, const RecordRef& b) { return a.time < b.time; };
  size_t descents = 0, split = 0;
  for (size_t i = 1; i < count && descents < 2; ++i)
    if (refs[i].time < refs[i - 1].time) ++descents, split = i;
  if (descents == 1) std::inplace_merge(refs, refs + split, refs + count, earlier);
  else std::stable_sort(refs, refs + count, earlier);
}

// The fast path: stable sort of an index, then one copy through a scratch buffer.
bool SortThroughIndex(uint8_t* start, uint8_t* stop) {
  size_t bytes = size_t(stop - start);
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[bytes]);
  if (!scratch) return false;
  size_t count = CountRecords(start, stop);
  std::unique_ptr<RecordRef[]> refs(new (std::nothrow) RecordRef[count]);
  if (!refs) return false;
  size_t n = 0;
  for (uint8_t* e = start; e < stop; e += refs[n++].length)
    refs[n] = {SeqEventTime(e), uint32_t(e - start), GetSeqEventLength(e)};
  SortRefs(refs.get(), count);
  uint8_t* out = scratch.get();
  for (size_t i = 0; i < count; ++i) {
    const RecordRef& r = refs[i];
    std::memcpy(out, start + r.offset, r.length);
    out += r.length;
  }
  std::memcpy(start, scratch.get(), bytes);
  return true;
}

// True when the marker three bytes before each record's end leads back to that record's
// start. A record whose marker disagrees with its status (a 14-byte record without its 1,
// a variable record with a damaged trailer) is still walked forwards by its status.
bool MarkersLeadBack(uint8_t* start, uint8_t* stop) {
  for (uint8_t* e = start; e < stop;) {
    uint8_t* next = e + GetSeqEventLength(e);
    if (PrevEventStartWithin(next, start) != e) return false;
    e = next;
  }
  return true;
}

// The record in front of p, found by a forward walk from the list's start.
uint8_t* PrevEventByForwardWalk(uint8_t* start, uint8_t* p) {
  uint8_t* prev = nullptr;
  for (uint8_t* e = start; e < p; e += GetSeqEventLength(e)) prev = e;
  return prev;
}

// The in-place path, for when no scratch memory is left: moves whole records backwards
// from the end, keeping a copy of the moving record in a small buffer (or a handle for a
// long record). Records move whole, so markers that lead back before the sort still do
// after every move; otherwise each step back is found walking forwards. Returns memFullErr
// when a long record's copy cannot be made.
OSErr SortInPlace(uint8_t* start, uint8_t* stop) {
  uint8_t small[64];
  bool backwards = MarkersLeadBack(start, stop);
  auto previous = [&](uint8_t* p) {
    return backwards ? PrevEventStartWithin(p, start) : PrevEventByForwardWalk(start, p);
  };
  uint8_t* e = previous(stop);
  while (e && e > start) {
    uint8_t* p = e;
    e = previous(p);
    if (!e) break;
    uint8_t* q = p;
    while (q < stop && SeqEventTime(q) < SeqEventTime(e)) q += GetSeqEventLength(q);
    if (q <= p) continue;
    uint32_t length = uint32_t(p - e);
    Handle temp;
    uint8_t* copy = small;
    if (length > sizeof small) {
      temp = NewHandle(Size(length));
      if (!temp) return memFullErr;
      HLock(temp);
      copy = reinterpret_cast<uint8_t*>(HandleData(temp));
    }
    std::memcpy(copy, e, length);
    std::memmove(e, p, size_t(q - p));
    std::memcpy(q - length, copy, length);
    if (temp) DisposeHandle(temp);
  }
  return noErr;
}

// Sorts the records in front of the end record (or of a damaged record) of a locked list;
// through the index unless `inPlaceOnly`, falling back to the in-place sort.
OSErr SortListRecords(Handle list, bool inPlaceOnly) {
  if (!list || GetHandleSize(list) < kEndRecordSize + 1) return noErr;
  int8_t state = HGetState(list);
  HLock(list);
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  bool sorted = false;
  uint8_t* stop = FindEndOfSortedRecords(start, GetHandleSize(list), &sorted);
  bool hasEnd = stop + kEndRecordSize <= start + GetHandleSize(list) && SeqEventTime(stop) == 0;
  if (hasEnd) SetSeqEventTime(stop, kSortSentinelTime);
  OSErr err = noErr;
  if (inPlaceOnly) {
    err = SortInPlace(start, stop);
  } else if (!sorted && !SortThroughIndex(start, stop)) {
    err = SortInPlace(start, stop);
  }
  if (hasEnd) SetSeqEventTime(stop, 0);
  HSetState(list, state);
  return err;
}

}  // namespace

OSErr SortEventList(Handle list) { return SortListRecords(list, false); }

OSErr SortTrackEvents() { return SortEventList(GetCurrentTrackEventList()); }

OSErr SortEventListInPlace(Handle list) { return SortListRecords(list, true); }
