#include "song/documents/document_input.h"

#include <cstring>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/document_file.h"

namespace {

OSErr gInputError = noErr;
uint64_t gInputLeft = 0;
uint16_t gInputVersion = 0;
uint32_t gInputResolution = 0;

// The stream must hold n more bytes.
bool Available(uint32_t n) {
  if (gInputError != noErr) return false;
  if (n > gInputLeft) {
    gInputError = eofErr;
    return false;
  }
  return true;
}

}  // namespace

OSErr BeginDocumentInput(int16_t refNum) {
  BeginStream(refNum);
  gInputError = noErr;
  gInputLeft = 0;
  SetDocumentInputForm(gSongFileVersion, 0);
  int64_t size = 0;
  int64_t position = 0;
  OSErr err = FetchForkSize(refNum, &size);
  if (err == noErr) err = FetchForkPosition(refNum, &position);
  if (err != noErr) return gInputError = err;
  gInputLeft = size > position ? uint64_t(size - position) : 0;
  return noErr;
}

OSErr GetDocumentInputError() { return gInputError; }

void SetDocumentInputForm(uint16_t version, uint32_t resolution) {
  gInputVersion = version;
  gInputResolution = resolution;
}

uint16_t GetDocumentInputVersion() { return gInputVersion; }
uint32_t GetDocumentInputResolution() { return gInputResolution; }

OSErr FailDocumentInput(OSErr err) {
  if (gInputError == noErr) gInputError = err;
  return gInputError;
}

uint64_t DocumentBytesLeft() { return gInputError == noErr ? gInputLeft : 0; }

OSErr ReadDocumentBytes(void* buffer, uint32_t n) {
  if (!Available(n)) return gInputError;
  if (n == 0) return noErr;
  uint32_t before = gStreamByteCount;
  OSErr err = ReadBlock(buffer, n);
  uint32_t got = gStreamByteCount - before;
  gInputLeft -= got < n ? got : n;
  if (err == noErr && got != n) err = eofErr;
  if (err != noErr) gInputError = err;
  return gInputError;
}

OSErr ReadDocumentU16(uint16_t* value) {
  uint8_t b[2] = {0, 0};
  OSErr err = ReadDocumentBytes(b, 2);
  *value = err == noErr ? ReadU16BE(b) : 0;
  return err;
}

OSErr ReadDocumentU32(uint32_t* value) {
  uint8_t b[4] = {0, 0, 0, 0};
  OSErr err = ReadDocumentBytes(b, 4);
  *value = err == noErr ? ReadU32BE(b) : 0;
  return err;
}

OSErr SkipDocumentBytes(uint32_t n) {
  if (!Available(n)) return gInputError;
  OSErr err = SetForkPosition64(gStreamRefNum, fsFromMark, int64_t(n));
  if (err != noErr) return gInputError = err;
  gInputLeft -= n;
  return noErr;
}

OSErr NewDocumentBlockHandle(uint32_t n, Handle* out) {
  *out = Handle();
  if (!Available(n)) return gInputError;
  if (n > 0x7fffffffu) return gInputError = memFullErr;
  // The reserve rule of NewHandleClearWithReserve, without clearing bytes about to be read.
  uint32_t largest = uint32_t(MaxBlock());
  if (n > largest || largest - n <= gMemoryReserve) return gInputError = memFullErr;
  Handle h = NewHandle(Size(n));
  if (!h) return gInputError = memFullErr;
  *out = h;
  return noErr;
}

OSErr ReadDocumentHandle(uint32_t n, Handle* out) {
  Handle h;
  if (NewDocumentBlockHandle(n, &h) != noErr) return gInputError;
  OSErr err = ReadDocumentBytes(HandleData(h), n);
  if (err != noErr) {
    DisposeHandle(h);
    return err;
  }
  *out = h;
  return noErr;
}

OSErr ReadSizedDocumentHandle(Handle* out) {
  *out = Handle();
  uint32_t n = 0;
  if (ReadDocumentU32(&n) != noErr) return gInputError;
  return ReadDocumentHandle(n, out);
}

OSErr SkipSizedDocumentBlock() {
  uint32_t n = 0;
  if (ReadDocumentU32(&n) != noErr) return gInputError;
  return SkipDocumentBytes(n);
}

bool SlotHasBlock(const uint8_t* slot, bool useAlternate) {
  uint32_t word = ReadU32BE(slot);
  if (word == 0 && useAlternate) word = ReadU32BE(slot + 4);
  return word != 0;
}

OSErr ReadPresentBlock(uint8_t* slot, bool present) {
  std::memset(slot, 0, 8);
  if (!present) return gInputError;
  Handle h;
  OSErr err = ReadSizedDocumentHandle(&h);
  if (err == noErr) WriteU32BE(slot, h.id);
  return err;
}

OSErr ReadLengthPrefixedHandle(uint8_t* slot, bool useAlternate) {
  return ReadPresentBlock(slot, SlotHasBlock(slot, useAlternate));
}
