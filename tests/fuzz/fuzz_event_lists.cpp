#include "tests/fuzz/fuzz_event_lists.h"

#include <cstdlib>

#include "platform/memory/memory.h"
#include "song/events/seq_event.h"

void CheckEventListWalks(Handle list, bool inTimeOrder) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  uint32_t at = 0;
  uint32_t last = 0;
  while (at + kEndRecordSize <= size && SeqEventTime(p + at) != 0) {
    uint32_t length = SeqEventLengthWithin(p + at, size - at);
    if (length == 0 || (inTimeOrder && SeqEventTime(p + at) < last)) std::abort();
    last = SeqEventTime(p + at);
    at += length;
  }
  if (at + kEndRecordSize != size) std::abort();
}
