#include "audio/streams/stream_regions.h"

#include "audio/engine/region_lookup.h"
#include "audio/streams/stream_reads.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/media_references.h"

namespace {

uint8_t* RegionAt(Handle list, Size at) { return reinterpret_cast<uint8_t*>(*list) + at; }

Size RegionListBytes(Handle list) { return list ? GetHandleSize(list) / kRegionSize * kRegionSize : 0; }

// The region's bytes in its file: its length in frames times its bytes per frame.
int64_t RegionBytes(const uint8_t* region) {
  uint64_t frames = ReadU64BE(region + kRegionLengthAt);
  if (frames > uint64_t(kMemoryRegionBytes)) return kMemoryRegionBytes + 1;
  return int64_t(frames) * region[kRegionBytesPerFrameAt];
}

// Reads the region's bytes from its file's open fork into a new block; null when the file is
// not open or the read falls short (the region then streams as before).
Handle ReadRegionBlock(const uint8_t* region, const uint8_t* entry, int64_t bytes) {
  if (ReadU16BE(entry + kRefFlags) & kRefByFileNumber) return Handle();
  FSIORefNum fork = FSIORefNum(ReadU32BE(entry + kRefFork));
  if (fork == 0) return Handle();
  Handle block = NewHandle(Size(bytes));
  if (!block) return Handle();
  ByteCount actual = 0;
  OSErr err = FSReadFork(fork, fsFromStart, ReadU32BE(region + kRegionFileOffsetAt), ByteCount(bytes), *block, &actual);
  if (err == noErr && actual == ByteCount(bytes)) return block;
  DisposeHandle(block);
  return Handle();
}

// The open fork of the entry (0 for a closed one or one known by its file number).
uint32_t EntryFork(const uint8_t* entry) {
  return (ReadU16BE(entry + kRefFlags) & kRefByFileNumber) ? 0 : ReadU32BE(entry + kRefFork);
}

void PrepareRegion(uint8_t* region) {
  uint16_t flags = ReadU16BE(region + kRegionFlagsAt);
  if (flags & (kRegionFlagSilent | kRegionFlagInMemory)) return;
  const uint8_t* entry = GetReferencedFileEntry(ReadU16BE(region + kRegionFileIndexAt));
  if (!entry || (ReadU16BE(entry + kRefFlags) & kRefMissing)) {
    WriteU16BE(region + kRegionFlagsAt, uint16_t(flags | kRegionFlagMissing));
    return;
  }
  WriteU32BE(region + kRegionCopyForkAt, EntryFork(entry));
  int64_t bytes = RegionBytes(region);
  if (bytes <= 0 || bytes > kMemoryRegionBytes) return;
  Handle block = ReadRegionBlock(region, entry, bytes);
  if (!block) return;
  WriteU32BE(region + kRegionMemoryBlockAt, block.id);
  WriteU16BE(region + kRegionFlagsAt, uint16_t(flags | kRegionFlagInMemory));
}

}  // namespace

void PrepareStreamRegions(Handle list) {
  Size bytes = RegionListBytes(list);
  for (Size at = 0; at < bytes; at += kRegionSize) PrepareRegion(RegionAt(list, at));
}

void ReleaseRegionBlocks(Handle list) {
  Size bytes = RegionListBytes(list);
  for (Size at = 0; at < bytes; at += kRegionSize) {
    uint8_t* region = RegionAt(list, at);
    uint16_t flags = ReadU16BE(region + kRegionFlagsAt);
    if (!(flags & kRegionFlagInMemory)) continue;
    Handle block(ReadU32BE(region + kRegionMemoryBlockAt));
    if (block) DisposeHandle(block);
    WriteU32BE(region + kRegionMemoryBlockAt, 0);
    WriteU16BE(region + kRegionFlagsAt, uint16_t(flags & ~kRegionFlagInMemory));
  }
}
