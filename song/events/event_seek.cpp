#include "song/events/event_seek.h"

#include "song/events/data_events.h"
#include "song/events/seq_event.h"

uint32_t EventStepWithin(const uint8_t* event, uint32_t bytesLeft) {
  uint32_t length = SeqEventLengthWithin(event, bytesLeft);
  if ((event[kEventStatus] & 0xF0) == kKindVariable && length < uint32_t(kDataEventOverhead)) return 0;
  return length;
}

uint8_t* SeekEventList(uint8_t* event, int32_t t) {
  if (!event) return nullptr;
  for (;;) {
    uint32_t time = SeqEventTime(event);
    if (time == 0 || event[kEventStatus] < 0x10) return event;
    if (int32_t(time) >= t) return event;
    uint32_t length = GetSeqEventLength(event);
    uint32_t least = (event[kEventStatus] & 0xF0) == kKindVariable ? kDataEventOverhead : kShortEventSize;
    if (length < least) return event;
    event += length;
  }
}

uint8_t* SeekEventListWithin(uint8_t* event, uint32_t bytes, int32_t t) {
  if (!event) return nullptr;
  while (bytes >= uint32_t(kShortEventSize)) {
    uint32_t time = SeqEventTime(event);
    if (time == 0 || event[kEventStatus] < 0x10 || int32_t(time) >= t) return event;
    uint32_t length = EventStepWithin(event, bytes);
    if (length == 0) return event;
    event += length;
    bytes -= length;
  }
  return event;
}
