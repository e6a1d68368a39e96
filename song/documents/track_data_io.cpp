#include "song/documents/track_data_io.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/document_file.h"
#include "song/documents/document_input.h"
#include "song/documents/old_song_forms.h"
#include "song/documents/plugin_record_io.h"
#include "song/events/seq_event.h"
#include "song/instruments/plugin_records.h"
#include "song/model/media_hooks.h"
#include "song/model/song_layout.h"
#include "song/model/track_sections.h"

namespace {

// A track's audio record read from a file names no movie of this session: the movie word and
// the movie's edit state (+86, +94) the writing session stored are cleared.
void ForgetStoredMovieState(const uint8_t* cell) {
  constexpr int32_t kMovieWord = 86, kMovieEditState = 94;
  Handle record(ReadU32BE(cell));
  if (!record || GetHandleSize(record) < kPluginRecordBytes) return;
  WriteU32BE(HandleData(record) + kMovieWord, 0);
  WriteU32BE(HandleData(record) + kMovieEditState, 0);
}

constexpr int32_t kAlternateWord = 4;
constexpr int32_t kAudioField = 2;   // index of +232 in kTrackHandleFields
constexpr int32_t kAudio2Field = 5;  // index of +256
constexpr int32_t kExtraDropBytes = 4;
constexpr uint32_t kEventReadPiece = 128 * 1024;  // bytes of an event list read at once

bool IsPluginField(int32_t i) { return i == kAudioField || i == kAudio2Field; }

Handle StoredHandle(const uint8_t* entry, int32_t offset) {
  return Handle(ReadU32BE(entry + offset));
}

int32_t StoredChildCells(const uint8_t* entry) {
  int32_t cells = (ReadI16BE(entry + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  int32_t count = entry[kTrackChildCount];
  return cells < count ? cells : count;
}

// A further block whose first two words are both 0 loses its first word.
void TrimExtraBlock(Handle block) {
  Size size = GetHandleSize(block);
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(block));
  if (size < 8 || ReadU32BE(p) != 0 || ReadU32BE(p + 4) != 0) return;
  std::memmove(p, p + kExtraDropBytes, size_t(size - kExtraDropBytes));
  SetHandleSize(block, size - kExtraDropBytes);
}

// The length of the record at e when it lies in the left bytes, else 0. The kind table is
// read directly: this runs once per event of every list a document holds.
inline uint32_t StoredRecordLength(const uint8_t* e, uint32_t left) {
  uint32_t length = gEventLengthByKind[e[kEventStatus] >> 4];
  if (length == kStoredLength) {
    if (left < uint32_t(kLongEventSize)) return 0;
    length = ReadU32BE(e + kEventVariableLength);
    if (length < uint32_t(kLongEventSize)) return 0;
  }
  return length <= left ? length : 0;
}

inline bool IsEndRecord(const uint8_t* e) { return ReadU32BE(e) == 0; }

// Room the quick walk leaves behind a record: an end record (the list may end there).
constexpr uint32_t kQuickRoom = kEndRecordSize;

// The plain record at e: its length when it is a 14-byte or an 8-byte record (the length
// table's classes) that is not an end record, else 0.
[[gnu::always_inline]] inline uint32_t PlainRecordLength(const uint8_t* e) {
  if (IsEndRecord(e)) return 0;
  uint8_t kind = e[kEventStatus] >> 4;
  if (kind >= (kKindPolyPressure >> 4)) return kShortEventSize;
  if (kind != 0 && kind != (kKindVariable >> 4)) return kLongEventSize;
  return 0;
}

// The plain records from e on that start by last. Two records a turn (a record is at most 14
// bytes, so the second starts by last when the first starts 14 bytes before it); each length
// class is its own branch, so the next record's address does not wait for this one's status.
const uint8_t* SkipPlainRecordsTo(const uint8_t* e, const uint8_t* last) {
  while (e + kLongEventSize <= last) {
    uint32_t n = PlainRecordLength(e);
    if (n == kShortEventSize) e += kShortEventSize;
    else if (n == kLongEventSize) e += kLongEventSize;
    else return e;
    n = PlainRecordLength(e);
    if (n == kShortEventSize) e += kShortEventSize;
    else if (n == kLongEventSize) e += kLongEventSize;
    else return e;
  }
  while (e <= last) {
    uint32_t n = PlainRecordLength(e);
    if (n == kShortEventSize) e += kShortEventSize;
    else if (n == kLongEventSize) e += kLongEventSize;
    else return e;
  }
  return e;
}

// The records from e on that lie well inside the bytes up to limit (an end record still fits
// behind each): plain records and variable records of a sound length. Returns where the first
// other record starts: an end record, an unknown kind, a bad length or the last bytes.
const uint8_t* SkipPlainRecords(const uint8_t* e, const uint8_t* limit) {
  if (limit - e < std::ptrdiff_t(kLongEventSize + kQuickRoom)) return e;
  const uint8_t* last = limit - (kLongEventSize + kQuickRoom);  // a record may start up to here
  for (;;) {
    e = SkipPlainRecordsTo(e, last);
    if (e > last || IsEndRecord(e) || (e[kEventStatus] >> 4) != (kKindVariable >> 4)) return e;
    uint32_t length = ReadU32BE(e + kEventVariableLength);
    if (length < uint32_t(kLongEventSize) || length > uint32_t(limit - e) - kQuickRoom) return e;
    e += length;
  }
}

// Where the quick walk stops in the first ready bytes of a list, from the record at at on.
uint32_t SkipCheckedRecords(const uint8_t* p, uint32_t ready, uint32_t at) {
  return uint32_t(SkipPlainRecords(p + at, p + ready) - p);
}

// The check of a list of size bytes from the record at at on (the records before it passed).
OSErr CheckEventListBytesFrom(const uint8_t* p, uint32_t size, uint32_t at) {
  for (;;) {
    at = SkipCheckedRecords(p, size, at);
    uint32_t left = size - at;
    const uint8_t* e = p + at;
    if (left < uint32_t(kShortEventSize)) return left == 0 ? kEventListOpen : kDocumentDamagedErr;
    if (IsEndRecord(e)) return left >= uint32_t(kEndRecordSize) ? OSErr(noErr) : kDocumentDamagedErr;
    uint32_t length = StoredRecordLength(e, left);
    if (length == 0) return kDocumentDamagedErr;
    at += length;
  }
}

// The list is read in pieces, and its records are checked as each piece comes in, while the
// piece is still in the processor's caches.
OSErr ReadEventList(uint8_t* entry, uint32_t bytes, OSErr* check) {
  *check = noErr;
  WriteU32BE(entry + kTrackEventBytes, 0);
  if (bytes == 0) return GetDocumentInputError();
  Handle list;
  if (NewDocumentBlockHandle(bytes, &list) != noErr) return GetDocumentInputError();
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t checked = 0;
  for (uint32_t done = 0; done < bytes;) {
    uint32_t piece = bytes - done < kEventReadPiece ? bytes - done : kEventReadPiece;
    if (ReadDocumentBytes(p + done, piece) != noErr) {
      DisposeHandle(list);
      return GetDocumentInputError();
    }
    done += piece;
    if (done < bytes) checked = SkipCheckedRecords(p, done, checked);
  }
  *check = CheckEventListBytesFrom(p, bytes, checked);
  WriteU32BE(entry + kTrackEventList, list.id);
  WriteU32BE(entry + kTrackEventBytes, bytes);
  return noErr;
}

}  // namespace

void TakeTrackPresence(uint8_t* entry, bool withChildren, TrackPresence* presence) {
  *presence = TrackPresence();
  presence->eventBytes = ReadU32BE(entry + kTrackEventBytes);
  presence->sections = SlotHasBlock(entry + kTrackSectionList, true);
  presence->drums = SlotHasBlock(entry + kTrackDrumData, true);
  presence->audio = SlotHasBlock(entry + kTrackRegionList, true);
  presence->extra = SlotHasBlock(entry + kTrackExtraBlock, true);
  presence->audio2 = SlotHasBlock(entry + kTrackRegionList2, true);
  std::memset(entry + kTrackEventList, 0, kTrackEntrySize - kTrackEventList);
  WriteU32BE(entry + kTrackFirstEventOffset, 0);
  WriteU32BE(entry + kTrackPlayCursorStart, 0);
  int32_t cells = (ReadI16BE(entry + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  int32_t used = StoredChildCells(entry);
  for (int32_t c = 0; c < cells; ++c) {
    uint8_t* cell = entry + kTrackChildTable + kChildCellSize * c;
    if (withChildren && c < used && ReadU32BE(cell) != 0) presence->children |= uint64_t(1) << c;
    std::memset(cell, 0, kChildCellSize);
  }
}

OSErr ReadTrackData(uint8_t* entry, const TrackPresence& presence, OSErr* eventCheck) {
  OSErr check = noErr;
  ReadEventList(entry, presence.eventBytes, &check);
  if (eventCheck) *eventCheck = check;
  ReadPresentBlock(entry + kTrackSectionList, presence.sections);
  Handle sections = StoredHandle(entry, kTrackSectionList);
  if (sections && GetDocumentInputVersion() < kOldestSongFileVersion) {
    OSErr err = WidenOldSectionList(sections);
    if (err != noErr) return FailDocumentInput(err);
  }
  if (sections) {
    OSErr err = InstallSectionList(entry, sections, presence.songLength);
    if (err != noErr) return FailDocumentInput(err);
  }
  ReadPresentBlock(entry + kTrackDrumData, presence.drums);
  ReadPluginRecord(entry + kTrackRegionList, presence.audio, entry[kTrackOutputKind], true);
  ReadPresentBlock(entry + kTrackExtraBlock, presence.extra);
  if (Handle extra = StoredHandle(entry, kTrackExtraBlock)) TrimExtraBlock(extra);
  ReadPluginRecord(entry + kTrackRegionList2, presence.audio2, entry[kTrackOutputKind]);
  ForgetStoredMovieState(entry + kTrackRegionList);
  ForgetStoredMovieState(entry + kTrackRegionList2);
  if (GetDocumentInputError() == noErr) NormalizeReadTrackRegions(entry);
  return GetDocumentInputError();
}

void DisposeStoredTrackHandles(uint8_t* entry) {
  for (int32_t i = 0; i < 6; ++i) {
    int32_t offset = kTrackHandleFields[i];
    Handle h = StoredHandle(entry, offset);
    std::memset(entry + offset, 0, kChildCellSize);
    if (!h || !IsValidHandle(h)) continue;
    if (IsPluginField(i))
      DisposePluginRecord(h);
    else
      DisposeHandle(h);
  }
  WriteU32BE(entry + kTrackEventBytes, 0);
}

uint8_t WrittenTrackBlocks(const uint8_t* entry) {
  uint8_t bits = 0;
  for (int32_t i = 0; i < 6; ++i) {
    Handle h = StoredHandle(entry, kTrackHandleFields[i]);
    if (!h || !IsValidHandle(h)) continue;
    if (IsPluginField(i) && !IsReadablePluginRecordSize(GetHandleSize(h))) continue;
    bits |= uint8_t(1u << i);
  }
  return bits;
}

void MakeStoredTrackImage(uint8_t* image, const uint8_t* live, bool withChildren) {
  uint8_t bits = WrittenTrackBlocks(live);
  for (int32_t i = 0; i < 6; ++i) {
    int32_t offset = kTrackHandleFields[i];
    // A block that follows is marked, never named: a live handle id would make two saves of
    // the same song differ.
    WriteU32BE(image + offset, (bits & (1u << i)) ? kStoredBlockMark : 0);
    WriteU32BE(image + offset + kAlternateWord, 0);
  }
  Handle events = StoredHandle(live, kTrackEventList);
  bool hasEvents = (bits & 1u) != 0;
  WriteU32BE(image + kTrackEventBytes, hasEvents ? uint32_t(GetHandleSize(events)) : 0);
  WriteU32BE(image + kTrackFirstEventOffset, 0);
  WriteU32BE(image + kTrackPlayCursorStart, 0);
  int32_t cells = (ReadI16BE(live + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  int32_t used = StoredChildCells(live);
  for (int32_t c = 0; c < cells; ++c) {
    uint8_t* cell = image + kTrackChildTable + kChildCellSize * c;
    Handle child(ReadU32BE(cell));
    bool keep = withChildren && c < used && child && IsValidHandle(child);
    if (!keep) WriteU32BE(cell, 0);
    WriteU32BE(cell + kAlternateWord, 0);
  }
}

OSErr WriteTrackData(const uint8_t* entry) {
  uint8_t bits = WrittenTrackBlocks(entry);
  auto handleIf = [&](int32_t i) {
    return (bits & (1u << i)) ? StoredHandle(entry, kTrackHandleFields[i]) : Handle();
  };
  if (Handle events = handleIf(0)) {
    Size size = GetHandleSize(events);
    if (size > 0) WriteBlock(HandleData(events), uint32_t(size));
  }
  if (GetLastFileError() == noErr) WriteHandleWithSize(handleIf(1));
  if (GetLastFileError() == noErr) WriteHandleWithSize(handleIf(3));
  if (GetLastFileError() == noErr) WritePluginRecordHandles(handleIf(2));
  if (GetLastFileError() == noErr) WriteHandleWithSize(handleIf(4));
  if (GetLastFileError() == noErr) WritePluginRecordHandles(handleIf(5));
  return GetLastFileError();
}

OSErr CheckEventListBytes(const uint8_t* p, uint32_t size) {
  return CheckEventListBytesFrom(p, size, 0);
}

namespace {

OSErr CloseEventList(Handle list) {
  Size size = GetHandleSize(list);
  if (SetHandleSizeWithReserve(list, size + kEndRecordSize) != noErr) return memFullErr;
  std::memset(HandleData(list) + size, 0, kEndRecordSize);
  return noErr;
}

}  // namespace

OSErr FinishStoredEventLists(const Handle* lists, const OSErr* checks, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (lists[i] && checks[i] != noErr && checks[i] != kEventListOpen) return checks[i];
  for (int32_t i = 0; i < count; ++i)
    if (lists[i] && checks[i] == kEventListOpen && CloseEventList(lists[i]) != noErr) return memFullErr;
  return noErr;
}

OSErr CheckStoredEventLists(const Handle* lists, int32_t count) {
  std::vector<OSErr> checks(size_t(count > 0 ? count : 0), noErr);
  for (int32_t i = 0; i < count; ++i) {
    if (!lists[i]) continue;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(lists[i]));
    checks[size_t(i)] = CheckEventListBytes(p, uint32_t(GetHandleSize(lists[i])));
  }
  return FinishStoredEventLists(lists, checks.data(), count);
}

OSErr CheckStoredEventList(Handle list) { return CheckStoredEventLists(&list, 1); }
