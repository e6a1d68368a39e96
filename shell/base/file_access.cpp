#include "shell/base/file_access.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/threads/thread_locks.h"
#include "shell/base/error_report.h"
#include "shell/base/iteration_abort.h"

int16_t gStreamRefNum = 0;
int16_t gStreamError = noErr;
int16_t gStreamDiskFullError = noErr;
uint32_t gStreamByteCount = 0;

namespace {
ThreadLock gForkReadLock;

OSErr LatchTransfer(OSErr err) {
  gStreamError = err;
  if (err == dskFulErr) gStreamDiskFullError = dskFulErr;
  return err;
}
}  // namespace

OSErr OpenDataFork(const FSSpec* fileSpec, int8_t permission, int16_t* refNum) {
  FSRef ref;
  OSErr err = FSpMakeFSRef(fileSpec, &ref);
  if (err != noErr) return err;
  HFSUniStr255 forkName;
  err = FSGetDataForkName(&forkName);
  if (err != noErr) return err;
  return FSOpenFork(&ref, forkName.length, forkName.unicode, permission, refNum);
}

OSErr CloseFork(int16_t refNum) { return FSCloseFork(refNum); }

OSErr ReadFork(int16_t refNum, uint32_t* count, void* buffer) {
  ByteCount actual = 0;
  OSErr err = FSReadFork(refNum, fsAtMark, 0, *count, buffer, &actual);
  *count = uint32_t(actual);
  return err;
}

OSErr WriteFork(int16_t refNum, uint32_t* count, const void* buffer) {
  ByteCount actual = 0;
  OSErr err = FSWriteFork(refNum, fsAtMark, 0, *count, buffer, &actual);
  *count = uint32_t(actual);
  return err;
}

OSErr SetForkPosition64(int16_t refNum, uint16_t positionMode, int64_t offset) {
  return FSSetForkPosition(refNum, positionMode, offset);
}

OSErr SetForkPosition(int16_t refNum, uint16_t positionMode, int32_t offset) {
  return FSSetForkPosition(refNum, positionMode, int64_t(offset));
}

OSErr FetchForkPosition(int16_t refNum, int64_t* position) {
  return FSGetForkPosition(refNum, position);
}

OSErr GetForkPosition(int16_t refNum, uint32_t* position) {
  int64_t full = 0;
  OSErr err = FSGetForkPosition(refNum, &full);
  *position = uint32_t(full);
  return err;
}

OSErr FetchForkSize(int16_t refNum, int64_t* size) { return FSGetForkSize(refNum, size); }

OSErr GetForkSize(int16_t refNum, uint32_t* size) {
  int64_t full = 0;
  OSErr err = FSGetForkSize(refNum, &full);
  *size = uint32_t(full);
  return err;
}

OSErr SetForkSize(int16_t refNum, int64_t size) { return FSSetForkSize(refNum, fsFromStart, size); }

OSErr ReadForkAtLocked(int16_t refNum, uint16_t positionMode, int64_t offset, uint32_t* count,
                       void* buffer) {
  AcquireThreadLock(&gForkReadLock);
  OSErr err = SetForkPosition64(refNum, positionMode, offset);
  if (err == noErr) err = ReadFork(refNum, count, buffer);
  ReleaseThreadLock(&gForkReadLock);
  return err;
}

void BeginStream(int16_t refNum) {
  gStreamRefNum = refNum;
  gStreamError = noErr;
  gStreamDiskFullError = noErr;
  gStreamByteCount = 0;
}

uint32_t StreamBytesLeft() {
  int64_t size = 0;
  int64_t position = 0;
  if (FetchForkSize(gStreamRefNum, &size) != noErr) return 0;
  if (FetchForkPosition(gStreamRefNum, &position) != noErr) return 0;
  int64_t left = size - position;
  return left <= 0 ? 0 : left > 0x7fffffff ? 0x7fffffff : uint32_t(left);
}

OSErr WriteBlock(const void* buffer, uint32_t n) {
  uint32_t count = n;
  return LatchTransfer(WriteFork(gStreamRefNum, &count, buffer));
}

OSErr ReadBlock(void* buffer, uint32_t n) {
  uint32_t count = n;
  OSErr err = ReadFork(gStreamRefNum, &count, buffer);
  gStreamByteCount += count;
  return LatchTransfer(err);
}

OSErr GetLastFileError() { return gStreamError != noErr ? gStreamError : gStreamDiskFullError; }

OSErr WriteHandleWithSize(Handle h) {
  if (!h) return GetLastFileError();
  uint8_t size[4];
  uint32_t n = uint32_t(GetHandleSize(h));
  WriteU32BE(size, n);
  WriteBlock(size, 4);
  if (GetLastFileError() == noErr && n > 0) WriteBlock(*h, n);
  return GetLastFileError();
}

bool IsStreamOk() {
  return GetLastFileError() == noErr && !gIterationAbort && gInsufficientMemoryShown == 0;
}

int32_t ReportStreamError() {
  int32_t code = 0;
  if (gStreamDiskFullError != noErr) {
    code = kDiskFullMessage;
    gStreamDiskFullError = noErr;
  }
  if (gStreamError != noErr) code = gStreamError;
  if (code != 0) {
    ReportError(code);
    gInsufficientMemoryShown = 0;
  }
  return code;
}
