#include "sequencer/event_seek.h"

#include "song/seq_event.h"

uint8_t* SeekEventList(uint8_t* event, int32_t t) {
  if (!event) return nullptr;
  for (;;) {
    uint32_t time = SeqEventTime(event);
    if (time == 0 || event[kEventStatus] < 0x10) return event;
    if (int32_t(time) >= t) return event;
    uint32_t length = GetSeqEventLength(event);
    if (length < kShortEventSize) return event;
    event += length;
  }
}
