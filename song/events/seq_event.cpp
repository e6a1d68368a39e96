#include "song/events/seq_event.h"

#include <cstring>

const uint8_t gEventLengthByKind[16] = {
    0,                // 0x00 end record
    14, 14, 14,       // 0x10..0x30 long form
    kStoredLength,    // 0x40 variable record
    14, 14, 14, 14,   // 0x50..0x80 long form
    14,               // 0x90 note
    8, 8, 8, 8, 8, 8  // 0xA0..0xF0 short form
};

uint8_t* PrevEventStart(uint8_t* end) {
  uint8_t marker = end[-3];
  if (marker == kLongMarker) return end - kLongEventSize;
  if (marker == kVariableMarker) return end - ReadU32BE(end - kEventVariableTrailer);
  if (GetEventLengthByKind(marker) == kShortEventSize) return end - kShortEventSize;
  return nullptr;
}

uint8_t* PrevEventStartWithin(uint8_t* end, uint8_t* listStart) {
  if (end - listStart < kShortEventSize) return nullptr;
  uint8_t marker = end[-3];
  if (marker == kVariableMarker) {
    uint32_t length = ReadU32BE(end - kEventVariableTrailer);
    if (length < kLongEventSize || length > uint32_t(end - listStart)) return nullptr;
    return end - length;
  }
  uint8_t* start = PrevEventStart(end);
  return (start && start >= listStart) ? start : nullptr;
}

void SetEventLongDuration(uint8_t* event, uint32_t n) {
  if (n < 1) n = 1;
  if (n > 0xFFFFFF) n = 0xFFFFFF;
  event[kEventKindMarker] = kLongMarker;
  event[kEventLongLengthHigh] = uint8_t(n >> 16);
  WriteU16BE(event + kEventDuration, uint16_t(n));
}

uint32_t GetEventLongDuration(const uint8_t* event) {
  return uint32_t(event[kEventLongLengthHigh]) * 65536u + ReadU16BE(event + kEventDuration);
}

void FillLongEvent(uint8_t* e, uint32_t time, uint8_t status, uint8_t d1, uint8_t d2,
                   uint16_t duration) {
  std::memset(e, 0, kLongEventSize);
  SetSeqEventTime(e, time);
  e[kEventStatus] = status;
  e[kEventData1] = d1;
  e[kEventData2] = d2;
  e[kEventKindMarker] = kLongMarker;
  WriteU16BE(e + kEventDuration, duration);
}

void FillShortEvent(uint8_t* e, uint32_t time, uint8_t status, uint8_t d1, uint8_t d2) {
  SetSeqEventTime(e, time);
  e[kEventFlags] = 0;
  e[kEventStatus] = status;
  e[kEventData1] = d1;
  e[kEventData2] = d2;
}

void FillVariableEvent(uint8_t* e, uint32_t time, uint32_t totalLength) {
  std::memset(e, 0, totalLength);
  SetSeqEventTime(e, time);
  e[kEventStatus] = kKindVariable;
  WriteU32BE(e + kEventVariableLength, totalLength);
  uint8_t* trailer = e + totalLength - kEventVariableTrailer;
  WriteU32BE(trailer, totalLength);
  trailer[5] = kVariableMarker;
}
