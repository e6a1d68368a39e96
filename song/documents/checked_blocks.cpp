#include "song/documents/checked_blocks.h"

#include "platform/memory/memory.h"
#include "song/documents/document_input.h"

OSErr ReadBoundedBlock(Handle* out, uint32_t maxSize) {
  *out = Handle();
  uint32_t count = 0;
  if (ReadDocumentU32(&count) != noErr) return GetDocumentInputError();
  if (count > maxSize) return FailDocumentInput(kBlockTooLargeErr);
  return ReadDocumentHandle(count, out);
}

OSErr ReadBoundedPresentBlock(uint32_t presence, Handle* out, uint32_t maxSize) {
  *out = Handle();
  return presence ? ReadBoundedBlock(out, maxSize) : GetDocumentInputError();
}

void DisposeBlock(Handle* h) {
  if (*h && IsValidHandle(*h)) DisposeHandle(*h);
  *h = Handle();
}
