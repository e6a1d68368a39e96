#include "song/events/event_list_merge.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/events/seq_event.h"

namespace {

struct ListWalk {
  const uint8_t* p = nullptr;
  const uint8_t* end = nullptr;
  uint32_t length = 0;  // of the record at p, 0 at the list's end

  void Start(Handle h) {
    p = h ? reinterpret_cast<const uint8_t*>(HandleData(h)) : nullptr;
    end = p ? p + GetHandleSize(h) : nullptr;
    Measure();
  }
  void Measure() {
    length = 0;
    if (!p || p >= end || SeqEventTime(p) == 0) return;
    length = SeqEventLengthWithin(p, uint32_t(end - p));
  }
  void Next() {
    p += length;
    Measure();
  }
};

// Bytes of the records in front of the end record (or the first damaged record).
uint32_t RecordBytes(Handle h) {
  ListWalk w;
  w.Start(h);
  const uint8_t* start = w.p;
  while (w.length) w.Next();
  return start ? uint32_t(w.p - start) : 0;
}

}  // namespace

Handle MergeEventLists(Handle first, Handle second, OSErr* err) {
  uint64_t total = uint64_t(RecordBytes(first)) + RecordBytes(second) + kEndRecordSize;
  if (total > 0x7fffffff) {
    *err = memFullErr;
    return Handle();
  }
  Handle merged = NewHandleClearWithReserve(Size(total));
  if (!merged) {
    *err = gLastMemError ? gLastMemError : OSErr(memFullErr);
    return Handle();
  }
  uint8_t* out = reinterpret_cast<uint8_t*>(HandleData(merged));
  ListWalk a, b;
  a.Start(first);
  b.Start(second);
  while (a.length || b.length) {
    ListWalk& w = !b.length || (a.length && SeqEventTime(a.p) <= SeqEventTime(b.p)) ? a : b;
    std::memcpy(out, w.p, w.length);
    out += w.length;
    w.Next();
  }
  std::memset(out, 0, kEndRecordSize);
  *err = noErr;
  return merged;
}
