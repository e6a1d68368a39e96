#include "song/documents/old_song_forms.h"

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/document_file.h"
#include "song/documents/document_input.h"
#include "song/events/seq_event.h"
#include "shell/base/new_song_defaults.h"
#include "song/model/song_layout.h"

namespace {

constexpr uint16_t kLastOfFirstReadRange = 1025;
constexpr uint16_t kFirstOfSecondReadRange = 1040;
constexpr uint16_t kFirst218Header = 1040;
constexpr uint16_t kFirst348Header = 1575;
constexpr uint16_t kFirst144Entry = 1034;
constexpr uint16_t kFirst192Entry = 1586;
constexpr int32_t kHeader348 = 348;
constexpr int32_t kHeader218 = 218;
constexpr int32_t kHeader154 = 154;
constexpr int32_t kEntry192 = 192;
constexpr int32_t kEntry144 = 144;
constexpr int32_t kEntry108 = 108;
constexpr int32_t kTrackWord14 = 14;
constexpr uint8_t kEventSelected = 0x01;
constexpr uint8_t kEventOldMarks = 0x0C;

constexpr int32_t kOldSongWords[7] = {2, 18, 22, 40, 96, 190, 214};
constexpr int32_t kNewSongWords[7] = {348, 356, 364, 372, 380, 388, 396};
constexpr int32_t kOldEntryWords[9] = {4, 8, 64, 72, 76, 100, 112, 132, 140};
constexpr int32_t kNewEntryWords[9] = {192, 208, 216, 224, 232, 240, 248, 200, 256};

constexpr int32_t kOldSectionHead = 12;
constexpr int32_t kOldSectionEntry = 32;
constexpr int32_t kSectionHead = 16;
constexpr int32_t kSectionEntry = 48;

constexpr uint16_t kCentreValue = 8192;
constexpr uint16_t kNewTrackWord148 = 0xFFFF;
constexpr uint16_t kNewSongDisplay182 = 5;

int32_t StoredEntrySize(uint16_t version) {
  if (version >= kFirst192Entry) return kEntry192;
  return version >= kFirst144Entry ? kEntry144 : kEntry108;
}

void MoveWord(uint8_t* p, int32_t from, int32_t to) {
  WriteU32BE(p + to, ReadU32BE(p + from));
  WriteU32BE(p + from, 0);
}

// The stored size of each entry of an older block (fixed part and child cells), when the
// entries fill the block exactly and each one's child count fits its cells.
bool WalkOldEntries(const uint8_t* old, uint32_t length, uint16_t version, std::vector<int32_t>* cells) {
  int32_t header = StoredSongHeaderSize(version), fixed = StoredEntrySize(version);
  uint32_t at = uint32_t(header);
  for (int32_t k = 0; k < ReadU16BE(old + kSongTrackCount); ++k) {
    if (at + uint32_t(fixed) > length) return false;
    int32_t size = ReadU16BE(old + at + kTrackLength);
    if (size < fixed || (size - fixed) % kChildCellSize != 0 || at + uint32_t(size) > length) return false;
    int32_t n = (size - fixed) / kChildCellSize;
    if (n > kMaxChildSequences || old[at + kTrackChildCount] > n) return false;
    cells->push_back(n);
    at += uint32_t(size);
  }
  return at == length;
}

// The header: zero bytes fill today's fields; the handle words move to today's places. A
// field today's header has that the older one lacks takes the value a new header gives it.
void WidenOldHeader(uint8_t* out, const uint8_t* old, int32_t oldSize) {
  std::memcpy(out, old, size_t(oldSize));
  for (int32_t i = 0; i < 7; ++i) MoveWord(out, kOldSongWords[i], kNewSongWords[i]);
  if (oldSize <= kSongDisplayShift) out[kSongDisplayShift] = gNewSongDefaults.headerByte219;
  if (oldSize <= kSongResolution) WriteU16BE(out + kSongResolution, uint16_t(GetDocumentInputResolution()));
}

// One entry: its fixed part grows to today's size with the child cells behind it.
void WidenOldEntry(uint8_t* out, const uint8_t* old, int32_t oldFixed, int32_t cells) {
  std::memcpy(out, old, size_t(oldFixed));
  std::memcpy(out + kTrackEntrySize, old + oldFixed, size_t(cells * kChildCellSize));
  WriteU16BE(out + kTrackLength, uint16_t(kTrackEntrySize + cells * kChildCellSize));
  for (int32_t i = 0; i < 9; ++i) MoveWord(out, kOldEntryWords[i], kNewEntryWords[i]);
  // The old entries held a handle word where today's keeps its centre value; the word at
  // +148 lies beyond the shorter entries. Both take the values of a new track.
  WriteU16BE(out + kTrackCentre72, kCentreValue);
  if (oldFixed < kTrackWord148 + 2) WriteU16BE(out + kTrackWord148, kNewTrackWord148);
  if (oldFixed <= kTrackDeviceChannel2) {
    out[kTrackDeviceChannel1] = gNewSongDefaults.trackByte136;
    out[kTrackDeviceChannel2] = gNewSongDefaults.trackByte137;
  }
}

// Header fixes of versions below 1105 whose stored meaning is not known: the list columns take
// the positions of a new header, and the display values the new header's defaults.
void FixHeaderBelow1105(uint8_t* song, uint16_t version) {
  for (int32_t i = 0; i < kSongColumnCount; ++i)
    WriteU16BE(song + kSongColumns + 2 * i, kSongDefaultColumns[i]);
  if (version < 1050) {
    WriteU16BE(song + kSongDisplay182, kNewSongDisplay182);
    WriteU16BE(song + kSongDisplay184, gNewSongDefaults.display184);
    WriteU16BE(song + kSongDisplay186, gNewSongDefaults.display186);
  }
}

void FixOldHeader(uint8_t* song, uint16_t version) {
  // The tempo factor of files up to 834 counted in quarters of today's unit.
  if (version <= 834) {
    uint32_t factor = uint32_t(ReadU16BE(song + kSongTempoFactor)) * 4;
    WriteU16BE(song + kSongTempoFactor, uint16_t(factor > 0xFFFF ? 0xFFFF : factor));
  }
  // Columns that took today's positions are not swapped again.
  if (version < 1105) {
    FixHeaderBelow1105(song, version);
  } else if (version < 1569) {
    uint16_t a = ReadU16BE(song + 168);
    WriteU16BE(song + 168, ReadU16BE(song + 170));
    WriteU16BE(song + 170, a);
  }
  // The song mode of older headers stands at +195.
  if (song[kSongOldSongMode] != 0) {
    song[kSongMode] = song[kSongOldSongMode];
    song[kSongOldSongMode] = 0;
  }
  // The current entry must name an entry (files below 1041 kept the selected track elsewhere).
  if (ReadU16BE(song + kSongCurrentEntry) >= ReadU16BE(song + kSongTrackCount))
    WriteU16BE(song + kSongCurrentEntry, 0);
}

void FixOldEntry(uint8_t* entry, uint16_t version) {
  if (version < 1025) WriteU16BE(entry + kTrackWord14, 0);
  if (version < 1050) entry[kTrackSigned107] = 255;
  if (version < 1121) {
    int32_t n = entry[kTrackChannelCount] < kTrackInstrumentSlots ? entry[kTrackChannelCount] : kTrackInstrumentSlots;
    for (int32_t c = 0; c < n; ++c) {
      uint8_t* word = entry + kTrackInstruments + 2 * c;
      WriteU16BE(word, uint16_t(ReadU16BE(word) * 2));
    }
  }
  if (version < 1141) WriteU32BE(entry + kTrackSetting116, ReadU16BE(entry + kTrackSetting68));
  if (version < 1543) WriteI16BE(entry + kTrackLastProgram, -1);
}

// Flag bytes of events in files below 899: only the selection stays, except that in files
// below 896 a leading run of events carrying the bits 0x0C keeps just those.
void FixOldEventFlags(Handle list, uint16_t version) {
  uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t left = uint32_t(GetHandleSize(list));
  bool leading = version < 896;
  while (left >= uint32_t(kEndRecordSize) && SeqEventTime(e) != 0) {
    uint32_t length = SeqEventLengthWithin(e, left);
    if (length == 0) return;
    leading = leading && (e[kEventFlags] & kEventOldMarks);
    e[kEventFlags] &= leading ? kEventOldMarks : kEventSelected;
    e += length;
    left -= length;
  }
}

}  // namespace

bool IsReadableSongFileVersion(uint16_t version) {
  if (version >= kOldestReadableFileVersion && version <= kLastOfFirstReadRange) return true;
  return version >= kFirstOfSecondReadRange && version <= gSongFileVersion;
}

int32_t StoredSongHeaderSize(uint16_t version) {
  if (version >= kOldestSongFileVersion) return kSongHeaderSize;
  if (version >= kFirst348Header) return kHeader348;
  return version >= kFirst218Header ? kHeader218 : kHeader154;
}

OSErr WidenOldSongBlock(Handle* block, uint32_t* length, uint16_t version) {
  Handle old = *block;
  *block = Handle();
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(old));
  std::vector<int32_t> cells;
  if (!WalkOldEntries(p, *length, version, &cells)) {
    DisposeHandle(old);
    return kDocumentDamagedErr;
  }
  uint32_t size = kSongHeaderSize;
  for (int32_t n : cells) size += uint32_t(kTrackEntrySize + n * kChildCellSize);
  Handle out = NewHandleClearWithReserve(Size(size));
  if (!out) {
    DisposeHandle(old);
    return memFullErr;
  }
  p = reinterpret_cast<const uint8_t*>(HandleData(old));
  uint8_t* q = reinterpret_cast<uint8_t*>(HandleData(out));
  WidenOldHeader(q, p, StoredSongHeaderSize(version));
  uint32_t from = uint32_t(StoredSongHeaderSize(version)), to = kSongHeaderSize;
  for (int32_t n : cells) {
    WidenOldEntry(q + to, p + from, StoredEntrySize(version), n);
    from += ReadU16BE(p + from + kTrackLength);
    to += uint32_t(kTrackEntrySize + n * kChildCellSize);
  }
  DisposeHandle(old);
  *block = out;
  *length = size;
  return noErr;
}

void FixOldSongBlock(uint8_t* song, uint16_t version) {
  FixOldHeader(song, version);
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(song + kSongTrackCount); ++k) {
    FixOldEntry(song + at, version);
    at += ReadU16BE(song + at + kTrackLength);
  }
}

OSErr WidenOldSectionList(Handle list) {
  Size size = GetHandleSize(list);
  if (size < kOldSectionHead) return kDocumentDamagedErr;
  Size n = (size - kOldSectionHead) / kOldSectionEntry;
  std::vector<uint8_t> old(HandleData(list), HandleData(list) + size);
  if (SetHandleSizeWithReserve(list, kSectionHead + n * kSectionEntry) != noErr) return memFullErr;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(list));
  std::memset(p, 0, size_t(kSectionHead + n * kSectionEntry));
  WriteU32BE(p + 8, ReadU32BE(old.data() + 4));
  WriteU32BE(p + 12, ReadU32BE(old.data() + 8));
  for (Size i = 0; i < n; ++i) {
    uint8_t* entry = p + kSectionHead + i * kSectionEntry;
    std::memcpy(entry, old.data() + kOldSectionHead + i * kOldSectionEntry, kOldSectionEntry);
    WriteU32BE(entry + 12, 0);
    WriteU32BE(entry + 28, 0);
  }
  return noErr;
}

void FixOldEventLists(uint8_t* song, uint16_t version) {
  if (version >= 899) return;
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(song + kSongTrackCount); ++k) {
    if (Handle list = Handle(ReadU32BE(song + at + kTrackEventList))) FixOldEventFlags(list, version);
    at += ReadU16BE(song + at + kTrackLength);
  }
}
