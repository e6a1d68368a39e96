#include "media/overview/overview_file_format.h"

#include "media/overview/overview_blocks.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/documents/document_input.h"
#include "song/documents/new_file_writer.h"

namespace {

OSErr WriteChain(void* chain) {
  for (Handle b = *static_cast<Handle*>(chain); b; b = OverviewBlockNext(b))
    if (OSErr err = WriteHandleWithSize(b)) return err;
  return noErr;
}

// A block as read: its header must hold its channel count and no more entries than it has.
// The link and scan caches are cleared; *more tells whether the stored link marked a
// following block.
bool TakeBlock(Handle block, int16_t channels, bool* more) {
  Size size = GetHandleSize(block);
  if (size < kOverviewHeaderBytes) return false;
  uint8_t* p = reinterpret_cast<uint8_t*>(*block);
  int32_t count = ReadI32BE(p + kOverviewCountAt);
  if (ReadI16BE(p + kOverviewChannelsAt) != channels || count < 0 || count > (size - kOverviewHeaderBytes) / 2)
    return false;
  *more = ReadU32BE(p + kOverviewNextAt) != 0;
  for (int32_t at = kOverviewLevelTickAt; at <= kOverviewDrawIndexAt; at += 4) WriteI32BE(p + at, 0);
  SetOverviewBlockNext(block, Handle());
  return true;
}

OSErr ReadChain(int16_t channels, Handle* chain) {
  Handle last;
  bool more = true;
  for (int16_t n = 0; n < channels; ++n) {
    if (!more) return kOverviewFileDamaged;
    Handle block;
    if (OSErr err = ReadSizedDocumentHandle(&block)) return err == eofErr ? kOverviewFileDamaged : err;
    if (!TakeBlock(block, channels, &more)) {
      DisposeHandle(block);
      return kOverviewFileDamaged;
    }
    if (last) SetOverviewBlockNext(last, block);
    else *chain = block;
    last = block;
  }
  return noErr;
}

}  // namespace

OSErr WriteOverviewFile(const FSSpec* spec, Handle chain) {
  return WriteNewFileQuietly(spec, kOverviewFileType, WriteChain, &chain);
}

OSErr ReadOverviewFile(const FSSpec* spec, int16_t channels, Handle* chain) {
  *chain = Handle();
  if (channels < 1) return kOverviewFileDamaged;
  int16_t fork = 0;
  if (OSErr err = OpenDataFork(spec, fsRdPerm, &fork)) return err;
  OSErr err = BeginDocumentInput(fork);
  if (err == noErr) err = ReadChain(channels, chain);
  OSErr closed = CloseFork(fork);
  if (err == noErr) err = closed;
  if (err != noErr) {
    DisposeOverviewBlocks(*chain);
    *chain = Handle();
  }
  return err;
}
