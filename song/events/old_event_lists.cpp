#include "song/events/old_event_lists.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/events/seq_event.h"

Handle ConvertOldEventList(Handle old, OSErr* err) {
  *err = noErr;
  Size size = old ? GetHandleSize(old) : 0;
  int64_t bound = (int64_t(size) * 14 + 5) / 10 + kEndRecordSize;
  if (bound > 0x7fffffff) {
    *err = memFullErr;
    return Handle();
  }
  Handle converted = NewHandleClearWithReserve(Size(bound));
  if (!converted) {
    *err = gLastMemError ? gLastMemError : OSErr(memFullErr);
    return Handle();
  }
  const uint8_t* p = old ? reinterpret_cast<const uint8_t*>(HandleData(old)) : nullptr;
  uint8_t* out = reinterpret_cast<uint8_t*>(HandleData(converted));
  uint8_t* start = out;
  for (Size at = 0; p && at + kOldEventSize <= size; at += kOldEventSize) {
    const uint8_t* r = p + at;
    uint32_t time = ReadU32BE(r);
    if (time == 0) break;
    uint8_t status = r[5];
    if (status >= 0x90 && status <= 0x9F) {
      FillLongEvent(out, time, status, r[6], r[7], ReadU16BE(r + 8));
      out[kEventFlags] = r[4];
      out += kLongEventSize;
    } else if (status >= 0xA0 && status <= 0xEF) {
      FillShortEvent(out, time, status, r[6], r[7]);
      out[kEventFlags] = r[4];
      out += kShortEventSize;
    }
  }
  std::memset(out, 0, kEndRecordSize);
  SetHandleSize(converted, Size(out - start) + kEndRecordSize);
  if (old) DisposeHandle(old);
  return converted;
}
