#include "song/model/handle_bytes.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"

OSErr InsertHandleBytes(Handle h, int32_t offset, int32_t n, bool quiet) {
  Size size = GetHandleSize(h);
  if (!h || offset < 0 || offset > size || n < 0) return paramErr;
  if (n == 0) return noErr;
  int8_t state = HGetState(h);
  HUnlock(h);
  OSErr err = SetHandleSizeWithReserve(h, size + n);
  HSetState(h, state);
  if (err != noErr) {
    if (!quiet) ReportError(err);
    return err;
  }
  char* p = HandleData(h);
  std::memmove(p + offset + n, p + offset, size_t(size - offset));
  std::memset(p + offset, 0, size_t(n));
  return noErr;
}

OSErr DeleteHandleBytes(Handle h, int32_t offset, int32_t n) {
  Size size = GetHandleSize(h);
  if (!h || offset < 0 || n < 0 || offset + n > size) return paramErr;
  char* p = HandleData(h);
  std::memmove(p + offset, p + offset + n, size_t(size - offset - n));
  SetHandleSize(h, size - n);
  return MemError();
}

void ShrinkHandle(Handle h, int32_t n) {
  if (!h || n <= 0) return;
  Size size = GetHandleSize(h);
  SetHandleSize(h, n > size ? 0 : size - n);
}
