#include "song/documents/old_document_forms.h"

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/document_file.h"
#include "song/model/audio_region.h"

namespace {

constexpr uint16_t kPieceAfter[5] = {0, 545, 832, 1551, 1616};
constexpr uint16_t kLastFixedSlotCount = 1540;
constexpr int32_t kOldPresenceWords[kDocumentSlotCount] = {4, 14, 20, 24, 28, 32, 106, 110, 114, 120, 124, 132};
constexpr uint16_t kLastNotepadWithoutTrailer = 1375;

constexpr int32_t kOldDeviceEntry = 64;
constexpr int32_t kDeviceEntry = 80;
constexpr uint16_t kLast32ByteFileEntry = 1608;
constexpr int32_t kOldFileEntry = 32;
constexpr int32_t kFileEntry = 64;
constexpr uint16_t kLast128ByteInstrument = 1120;
constexpr int32_t kOldInstrument = 128;
constexpr int32_t kInstrument = 256;
constexpr uint16_t kLastWithoutPluginRecords = 1135;
constexpr uint16_t kLast64ByteRegion = 1567;

void MoveWord(uint8_t* p, int32_t from, int32_t to) {
  WriteU32BE(p + to, ReadU32BE(p + from));
  WriteU32BE(p + from, 0);
}

// Gives each of the whole old entries of a table its own place of newSize bytes (the entry
// copied to its front, the rest zeroed); bytes behind the last whole entry are dropped.
OSErr SpreadEntries(Handle table, int32_t oldSize, int32_t newSize) {
  Size n = GetHandleSize(table) / oldSize;
  std::vector<uint8_t> old(HandleData(table), HandleData(table) + n * oldSize);
  if (SetHandleSizeWithReserve(table, n * newSize) != noErr) return memFullErr;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(table));
  std::memset(p, 0, size_t(n * newSize));
  for (Size i = 0; i < n; ++i) std::memcpy(p + i * newSize, old.data() + i * oldSize, size_t(oldSize));
  return noErr;
}

void MoveRegionFields(uint8_t* region, int32_t oldSize) {
  if (oldSize == 64) WriteU32BE(region + 64, ReadU32BE(region + 8));
  WriteU32BE(region + 136, ReadU32BE(region + 36));
  WriteU32BE(region + 144, ReadU32BE(region + 52));
  WriteU32BE(region + 152, ReadU32BE(region + 56));
  WriteU32BE(region + 132, ReadU32BE(region + 8));
  for (int32_t at : {36, 52, 56, 128}) WriteU32BE(region + at, 0);
}

}  // namespace

bool IsHeaderPieceStored(int32_t piece, uint16_t version) {
  return piece <= 0 || (piece < 5 && version > kPieceAfter[piece]);
}

int32_t DocumentSlotCountFor(uint16_t version, uint16_t stored) {
  if (version <= kLastFixedSlotCount || stored < kDocumentSongSlots) return kDocumentSongSlots;
  return stored;
}

void MoveOldSlotPresenceWords(uint8_t* header) {
  for (int32_t k = 0; k < kDocumentSlotCount; ++k) {
    uint8_t* cell = DocumentSlotCell(header, k);
    std::memset(cell, 0, kHandleSlotSize);
    MoveWord(header, kOldPresenceWords[k], int32_t(cell - header));
  }
}

bool HasNotepadTrailer(uint16_t version) { return version > kLastNotepadWithoutTrailer; }

OSErr WidenOldDeviceTable(Handle table, uint16_t version) {
  if (!table || version >= kOldestSongFileVersion) return noErr;
  return SpreadEntries(table, kOldDeviceEntry, kDeviceEntry);
}

OSErr WidenOldReferencedFiles(Handle table, uint16_t version) {
  if (!table || version >= kOldestSongFileVersion) return noErr;
  if (version <= kLast32ByteFileEntry && SpreadEntries(table, kOldFileEntry, kFileEntry) != noErr)
    return memFullErr;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(table));
  for (Size at = 0; at + kFileEntry <= GetHandleSize(table); at += kFileEntry) {
    MoveWord(p + at, 4, 40);
    MoveWord(p + at, 16, 48);
  }
  return noErr;
}

OSErr WidenOldInstrumentTable(Handle table, uint16_t version) {
  if (!table || version > kLast128ByteInstrument) return noErr;
  return SpreadEntries(table, kOldInstrument, kInstrument);
}

bool HasInstrumentPluginRecords(uint16_t version) { return version > kLastWithoutPluginRecords; }

OSErr WidenOldRegionList(Handle list, uint16_t version) {
  if (!list || version >= kOldestSongFileVersion) return noErr;
  int32_t oldSize = version <= kLast64ByteRegion ? 64 : 128;
  if (SpreadEntries(list, oldSize, kRegionSize) != noErr) return memFullErr;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(list));
  for (Size at = 0; at < GetHandleSize(list); at += kRegionSize) MoveRegionFields(p + at, oldSize);
  return noErr;
}
