#include "shell/base/memory_reserve.h"

#include "platform/memory/memory.h"
#include "platform/text/core_foundation.h"
#include "shell/base/error_report.h"

uint32_t gMemoryReserve = kInitialMemoryReserve;
OSErr gLastMemError = noErr;

Handle NewHandleClearWithReserve(Size size) {
  uint32_t room = uint32_t(MaxBlock()) - uint32_t(size);
  if (size < 0 || room <= gMemoryReserve || uint32_t(size) > uint32_t(MaxBlock())) {
    gLastMemError = memFullErr;
    return Handle();
  }
  Handle h = NewHandleClear(size);
  gLastMemError = MemError();
  return h;
}

OSErr SetHandleSizeWithReserve(Handle h, Size newSize) {
  Size current = GetHandleSize(h);
  if (newSize > current) {
    uint32_t grow = uint32_t(newSize) - uint32_t(current);
    uint32_t block = uint32_t(MaxBlock());
    if (grow > block || block - grow <= gMemoryReserve) return memFullErr;
  }
  SetHandleSize(h, newSize);
  return MemError();
}

OSErr DuplicateHandleWithReserve(Handle h, Handle* copy) {
  *copy = Handle();
  uint32_t size = uint32_t(GetHandleSize(h));
  uint32_t block = uint32_t(MaxBlock());
  if (size > block || block - size <= gMemoryReserve) return memFullErr;
  Handle duplicate = h;
  OSErr err = HandToHand(&duplicate);
  if (err == noErr) *copy = duplicate;
  return err;
}

Handle NewHandleClearOrReport(Size size) {
  gLastMemError = noErr;
  Handle h = NewHandleClear(size);
  if (!h) {
    gLastMemError = MemError();
    ReportError(gLastMemError);
  }
  return h;
}

OSErr DisposeHandleAndClear(Handle* h) {
  if (!h || !*h) return noErr;
  DisposeHandle(*h);
  OSErr err = MemError();
  if (err != noErr) CFShow(CFSTR("Dispose Error"));
  *h = Handle();
  return err;
}

void LockHandleHigh(Handle h) {
  MoveHHi(h);
  HLock(h);
}
