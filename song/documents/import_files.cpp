#include "song/documents/import_files.h"

#include "platform/files/sidecars.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"

OSErr OpenFileForImport(const FSSpec* fileSpec, int16_t* outSavedStream, OSType* outType) {
  *outSavedStream = gStreamRefNum;
  *outType = 0;
  if (!fileSpec) return userCanceledErr;
  gInsufficientMemoryShown = 0;
  FInfo info;
  if (FSpGetFInfo(fileSpec, &info) == noErr) *outType = info.fdType;
  int16_t refNum = 0;
  OSErr err = OpenDataFork(fileSpec, fsRdPerm, &refNum);
  if (err != noErr) return err;
  BeginStream(refNum);
  return noErr;
}

void CloseFileForImport(int16_t savedStream) {
  CloseFork(gStreamRefNum);
  gStreamRefNum = savedStream;
}

OSErr ReadSizedBlock(Handle* out) {
  *out = Handle();
  uint8_t sizeBytes[4];
  if (StreamBytesLeft() < sizeof sizeBytes) return eofErr;
  if (ReadBlock(sizeBytes, sizeof sizeBytes) != noErr) return GetLastFileError();
  uint32_t size = ReadU32BE(sizeBytes);
  if (size > StreamBytesLeft()) return eofErr;
  Handle block = NewHandleClearWithReserve(Size(size));
  if (!block) return gLastMemError ? gLastMemError : OSErr(memFullErr);
  if (size > 0 && ReadBlock(HandleData(block), size) != noErr) {
    DisposeHandle(block);
    return GetLastFileError();
  }
  *out = block;
  return noErr;
}
