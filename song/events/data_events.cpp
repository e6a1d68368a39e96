#include "song/events/data_events.h"

#include <cstring>
#include <vector>

#include "shell/base/iteration_abort.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/utility_track_access.h"

namespace {
const uint8_t kDataEventDefaultName[] = "\x05SysEx";
}

uint32_t DataEventSize(uint32_t n) { return (n + kDataEventOverhead + 1) & ~1u; }

void FillDataEvent(uint8_t* e, uint32_t tick, const uint8_t* data, uint32_t n) {
  uint32_t total = DataEventSize(n);
  FillVariableEvent(e, tick, total);
  WriteU32BE(e + kDataEventCount, n);
  std::memcpy(e + kDataEventName, kDataEventDefaultName, sizeof kDataEventDefaultName - 1);
  if (n > 0) std::memcpy(e + kDataEventData, data, n);
}

uint32_t GetDataEventLength(const uint8_t* e) { return ReadU32BE(e + kDataEventCount); }

uint8_t* WalkDataEventBytes(uint8_t* e, DataByteProc proc, void* arg) {
  uint32_t total = GetSeqEventLength(e);
  uint32_t n = GetDataEventLength(e);
  if (total < uint32_t(kDataEventOverhead)) n = 0;
  else if (n > total - kDataEventOverhead) n = total - kDataEventOverhead;
  for (uint32_t i = 0; i < n && !gIterationAbort; ++i) proc(e[kDataEventData + i], arg);
  return e + total;
}

OSErr InsertDataEventAt(uint32_t tick, const uint8_t* message, uint32_t length) {
  if (length < 1 || length - 1 > kMaxDataEventCount) return paramErr;
  uint32_t n = length - 1;
  std::vector<uint8_t> record(DataEventSize(n));
  FillDataEvent(record.data(), tick, message + 1, n);
  OSErr err = EnsureTrackEventList();
  if (err != noErr) return err;
  err = GrowEventList(int32_t(record.size()));
  if (err != noErr) return err;
  InsertEventBytes(tick, record.data(), int32_t(record.size()));
  return noErr;
}
