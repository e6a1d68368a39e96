#include "song/model/song_bodies.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/iteration_abort.h"
#include "shell/base/memory_reserve.h"
#include "shell/base/progress_hooks.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/documents/document_file.h"
#include "song/documents/document_input.h"
#include "song/documents/old_song_forms.h"
#include "song/documents/track_data_io.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/song_write_locks.h"
#include "song/model/songs.h"

namespace {

constexpr int32_t kMinConductorMapSize = 200;
constexpr uint32_t kBadConductorTick = 0xFFFFFFFF;
constexpr int32_t kRunTimeWordsStart = 356;   // the handle slots +356..+403
constexpr int32_t kOldPaneSize = 16;
constexpr int32_t kMidPaneSize = 32;
constexpr int32_t kOldPaneCount = 8;
constexpr int32_t kPaneByte15 = 15;
constexpr int32_t kPaneWord22 = 22;
constexpr uint32_t kMaxStoredSongLength = 0xFFFF;

bool IsLinkBlock(const uint8_t* song) { return (song[kSongFlags] & kSongFlagLinked) != 0; }

// Calls visit (entry) for each TrackEntry of a song block whose entries are sound.
template <typename Visit>
void ForEachStoredEntry(uint8_t* song, Size blockSize, Visit visit) {
  uint32_t end = StoredSongLength(song, blockSize);
  if (end == 0) return;
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(song + kSongTrackCount); ++k) {
    visit(song + at);
    at += ReadU16BE(song + at + kTrackLength);
  }
}

int32_t ChildCells(const uint8_t* entry) {
  int32_t cells = (ReadI16BE(entry + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  return std::min<int32_t>(cells, entry[kTrackChildCount]);
}

void DisposeWord(uint8_t* word) {
  Handle h(ReadU32BE(word));
  WriteU32BE(word, 0);
  if (h && IsValidHandle(h)) DisposeHandle(h);
}

OSErr ReadStoredMarkerList(uint8_t* song) {
  Handle list;
  if (ReadSizedDocumentHandle(&list) != noErr) return GetDocumentInputError();
  WriteU32BE(song + kSongMarkerList, list.id);
  if (ValidateMarkerList(song) != noErr) return FailDocumentInput(kDocumentDamagedErr);
  return noErr;
}

// Reads the tracks' data and each track's children; stops at the first failure.
// Each presence takes its event list's check.
OSErr ReadStoredTracks(uint8_t* song, std::vector<TrackPresence>& presence, bool link) {
  uint32_t at = kSongHeaderSize;
  for (TrackPresence& p : presence) {
    uint8_t* entry = song + at;
    at += ReadU16BE(entry + kTrackLength);
    if (!link && ReadTrackData(entry, p, &p.eventCheck) != noErr) break;
    for (int32_t c = 0; c < kMaxChildSequences; ++c) {
      if (!(p.children & (uint64_t(1) << c))) continue;
      Handle child;
      if (ReadSongRecord(true, &child) != noErr) break;
      WriteU32BE(entry + kTrackChildTable + kChildCellSize * c, child.id);
    }
    if (GetDocumentInputError() != noErr) break;
  }
  return GetDocumentInputError();
}

// Takes the presence of every entry's blocks and clears the words that name handles.
std::vector<TrackPresence> TakeSongPresence(uint8_t* song, bool isChild, bool link) {
  std::vector<TrackPresence> presence(ReadU16BE(song + kSongTrackCount));
  uint32_t at = kSongHeaderSize;
  for (TrackPresence& p : presence) {
    uint8_t* entry = song + at;
    at += ReadU16BE(entry + kTrackLength);
    TakeTrackPresence(entry, !isChild, &p);
    p.songLength = ReadU32BE(song + kSongEndTick);
    if (link) {
      p = TrackPresence();
      WriteU32BE(entry + kTrackEventBytes, 0);
    }
  }
  return presence;
}

// The event lists of the song's tracks, taken together with the checks made as they were
// read; each entry's +22 follows its list (an end record may have been added).
OSErr CheckSongEventLists(uint8_t* song, const std::vector<TrackPresence>& presence) {
  std::vector<Handle> lists;
  std::vector<OSErr> checks;
  uint32_t at = kSongHeaderSize;
  for (const TrackPresence& p : presence) {
    lists.push_back(Handle(ReadU32BE(song + at + kTrackEventList)));
    checks.push_back(p.eventCheck);
    at += ReadU16BE(song + at + kTrackLength);
  }
  OSErr err = FinishStoredEventLists(lists.data(), checks.data(), int32_t(lists.size()));
  if (err != noErr) return FailDocumentInput(err);
  at = kSongHeaderSize;
  for (Handle list : lists) {
    WriteU32BE(song + at + kTrackEventBytes, list ? uint32_t(GetHandleSize(list)) : 0);
    at += ReadU16BE(song + at + kTrackLength);
  }
  return noErr;
}

OSErr ReadSongLists(uint8_t* song, bool extra, bool panes) {
  ReadStoredConductorMap(song);
  if (GetDocumentInputError() == noErr) ReadStoredMarkerList(song);
  ReadPresentBlock(song + kSongExtraBlock, extra);
  ReadPresentBlock(song + kSongWindowTable, panes);
  Handle table = SongHeaderView(song).WindowTable();
  if (table && GetDocumentInputError() == noErr && WidenPaneTable(table) != noErr)
    FailDocumentInput(memFullErr);
  return GetDocumentInputError();
}

void WriteU32Block(uint32_t v) {
  uint8_t b[4];
  WriteU32BE(b, v);
  WriteBlock(b, 4);
}

bool IsLiveHandle(Handle h) { return h && IsValidHandle(h); }

void MakeStoredSongImage(std::vector<uint8_t>& image, const uint8_t* song, bool isChild,
                         bool link) {
  uint8_t* p = image.data();
  Handle extra(ReadU32BE(song + kSongExtraBlock));
  Handle panes(ReadU32BE(song + kSongWindowTable));
  for (int32_t at = kRunTimeWordsStart; at < kSongHeaderSize; at += 4) {
    // The two lists are always written and read; a live handle id would make two saves of the
    // same song differ.
    bool list = at == kSongConductorMap || at == kSongMarkerList;
    WriteU32BE(p + at, list && ReadU32BE(song + at) != 0 ? kStoredBlockMark : 0);
  }
  if (!link && IsLiveHandle(extra)) WriteU32BE(p + kSongExtraBlock, extra.id);
  if (!link && IsLiveHandle(panes)) WriteU32BE(p + kSongWindowTable, panes.id);
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(song + kSongTrackCount); ++k) {
    MakeStoredTrackImage(p + at, song + at, !isChild);
    if (link) {
      for (int32_t field : kTrackHandleFields) WriteU32BE(p + at + field, 0);
      WriteU32BE(p + at + kTrackEventBytes, 0);
    }
    at += ReadU16BE(song + at + kTrackLength);
  }
}

OSErr WriteStoredConductorMap(const uint8_t* song) {
  Handle map = SongHeaderView(const_cast<uint8_t*>(song)).ConductorMap();
  uint32_t n = IsLiveHandle(map) ? ReadU32BE(song + kSongConductorLength) : 0;
  if (IsLiveHandle(map)) n = std::min<uint32_t>(n, uint32_t(GetHandleSize(map)));
  WriteU32Block(n);
  if (GetLastFileError() == noErr && n > 0) WriteBlock(HandleData(map), n);
  return GetLastFileError();
}

OSErr WriteStoredMarkerList(const uint8_t* song) {
  Handle list = SongHeaderView(const_cast<uint8_t*>(song)).MarkerList();
  if (IsLiveHandle(list)) return WriteHandleWithSize(list);
  uint8_t empty[4 + kMarkerListEmptySize];
  WriteU32BE(empty, kMarkerListEmptySize);
  WriteU32BE(empty + 4, 0);
  WriteU32BE(empty + 8, kMarkerEndTick);
  return WriteBlock(empty, sizeof empty);
}

// True when a track of a child sequence has children of its own, which a document cannot
// hold (children do not nest).
bool HasNestedChildren(const uint8_t* song) {
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(song + kSongTrackCount); ++k) {
    const uint8_t* entry = song + at;
    for (int32_t c = 0; c < ChildCells(entry); ++c)
      if (IsLiveHandle(Handle(ReadU32BE(entry + kTrackChildTable + kChildCellSize * c)))) return true;
    at += ReadU16BE(entry + kTrackLength);
  }
  return false;
}

OSErr WriteSongChildren(const uint8_t* entry) {
  for (int32_t c = 0; c < ChildCells(entry) && GetLastFileError() == noErr; ++c) {
    Handle child(ReadU32BE(entry + kTrackChildTable + kChildCellSize * c));
    if (IsLiveHandle(child)) WriteSongRecords(child, true);
  }
  return GetLastFileError();
}

}  // namespace

uint32_t StoredSongLength(const uint8_t* song, Size blockSize) {
  if (!song || blockSize < kSongHeaderSize) return 0;
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(song + kSongTrackCount); ++k) {
    if (at + kTrackEntrySize > uint32_t(blockSize)) return 0;
    int32_t length = ReadI16BE(song + at + kTrackLength);
    if (length < kTrackEntrySize || at + uint32_t(length) > uint32_t(blockSize)) return 0;
    at += uint32_t(length);
  }
  return at;
}

bool IsStoredSongBlockValid(const uint8_t* song, uint32_t length) {
  if (StoredSongLength(song, Size(length)) != length) return false;
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(song + kSongTrackCount); ++k) {
    const uint8_t* entry = song + at;
    int32_t cells = (ReadI16BE(entry + kTrackLength) - kTrackEntrySize);
    if (cells % kChildCellSize != 0) return false;
    cells /= kChildCellSize;
    if (entry[kTrackChildCount] > kMaxChildSequences || entry[kTrackChildCount] > cells) return false;
    uint8_t number = entry[kTrackNumber];
    if (number >= kMaxTrackNumbers && number != kNoTrackNumber) return false;
    at += uint32_t(ReadU16BE(entry + kTrackLength));
  }
  return true;
}

OSErr ReadSongRecord(bool isChild, Handle* out) {
  *out = Handle();
  uint16_t stored = 0;
  if (ReadDocumentU16(&stored) != noErr) return GetDocumentInputError();
  uint16_t version = GetDocumentInputVersion();
  if (stored < StoredSongHeaderSize(version)) return FailDocumentInput(kDocumentDamagedErr);
  uint32_t length = stored;
  Handle block;
  if (ReadDocumentHandle(length, &block) != noErr) return GetDocumentInputError();
  if (version < kOldestSongFileVersion) {
    OSErr err = WidenOldSongBlock(&block, &length, version);
    if (err != noErr) return FailDocumentInput(err);
  }
  HLock(block);
  uint8_t* song = reinterpret_cast<uint8_t*>(HandleData(block));
  if (!IsStoredSongBlockValid(song, length)) {
    DisposeHandle(block);
    return FailDocumentInput(kDocumentDamagedErr);
  }
  if (version < kOldestSongFileVersion) FixOldSongBlock(song, version);
  bool link = isChild && IsLinkBlock(song);
  bool panes = SlotHasBlock(song + kSongWindowTable, true);
  bool extra = SlotHasBlock(song + kSongExtraBlock, true);
  WriteU32BE(song + kSongPackedPosition, 0);
  std::memset(song + kRunTimeWordsStart, 0, kSongHeaderSize - kRunTimeWordsStart);
  std::vector<TrackPresence> presence = TakeSongPresence(song, isChild, link);
  ReadStoredTracks(song, presence, link);
  if (!link && GetDocumentInputError() == noErr) CheckSongEventLists(song, presence);
  if (!link && GetDocumentInputError() == noErr) FixOldEventLists(song, version);
  if (!link && GetDocumentInputError() == noErr) ReadSongLists(song, extra, panes);
  song[kSongOptions] &= uint8_t(~kSongOptionDisplay);
  HUnlock(block);
  if (GetDocumentInputError() != noErr) {
    DisposeStoredSong(block);
    return GetDocumentInputError();
  }
  *out = block;
  return noErr;
}

void DisposeStoredSong(Handle block) {
  if (!block || !IsValidHandle(block)) return;
  HLock(block);
  uint8_t* song = reinterpret_cast<uint8_t*>(HandleData(block));
  ForEachStoredEntry(song, GetHandleSize(block), [](uint8_t* entry) {
    DisposeStoredTrackHandles(entry);
    for (int32_t c = 0; c < ChildCells(entry); ++c) {
      uint8_t* cell = entry + kTrackChildTable + kChildCellSize * c;
      Handle child(ReadU32BE(cell));
      WriteU32BE(cell, 0);
      DisposeStoredSong(child);
    }
  });
  if (GetHandleSize(block) >= kSongHeaderSize) {
    for (int32_t field : {kSongConductorMap, kSongHandle364, kSongMarkerList, kSongWindowTable,
                          kSongExtraBlock})
      DisposeWord(song + field);
  }
  DisposeHandle(block);
}

void ReleaseSongPluginBlocks(Handle block) {
  if (!block || !IsValidHandle(block)) return;
  uint8_t* song = reinterpret_cast<uint8_t*>(HandleData(block));
  ForEachStoredEntry(song, GetHandleSize(block), [](uint8_t* entry) {
    // The track's insert rack lets go of its plug-ins (closed at their last use).
    ReleaseRackPlugins(Handle(ReadU32BE(entry + kTrackRegionList)));
    DisposePluginRecordHandles(Handle(ReadU32BE(entry + kTrackRegionList)));
    DisposePluginRecordHandles(Handle(ReadU32BE(entry + kTrackRegionList2)));
    for (int32_t c = 0; c < ChildCells(entry); ++c) {
      Handle child(ReadU32BE(entry + kTrackChildTable + kChildCellSize * c));
      if (child && !(IsValidHandle(child) && IsLinkBlock(reinterpret_cast<uint8_t*>(*child))))
        ReleaseSongPluginBlocks(child);
    }
  });
}

OSErr ReadStoredConductorMap(uint8_t* song) {
  WriteU32BE(song + kSongConductorLength, 0);
  uint32_t n = 0;
  Handle map;
  if (ReadDocumentU32(&n) != noErr || ReadDocumentHandle(n, &map) != noErr)
    return GetDocumentInputError();
  Size size = std::max<Size>(Size(n) + kConductorRecordSize, kMinConductorMapSize);
  if (SetHandleSizeWithReserve(map, size) != noErr) {
    DisposeHandle(map);
    return FailDocumentInput(memFullErr);
  }
  uint8_t* base = reinterpret_cast<uint8_t*>(HandleData(map));
  std::memset(base + n, 0, size_t(size) - n);
  uint32_t at = 0;
  while (at + kConductorRecordSize <= n && ConductorKind(base + at) != kConductorEnd &&
         ReadU32BE(base + at + kConductorTickOffset) != kBadConductorTick)
    at += kConductorRecordSize;
  MakeConductorRecord(base + at, kConductorEnd, 0, kConductorEndTick, 0, 0);
  WriteU32BE(song + kSongConductorMap, map.id);
  WriteU32BE(song + kSongConductorLength, at);
  ValidateConductorMap(song);
  return GetDocumentInputError();
}

OSErr WidenPaneTable(Handle table) {
  Size size = GetHandleSize(table);
  if (size < kOldPaneCount * kMidPaneSize) {
    std::vector<uint8_t> old(HandleData(table), HandleData(table) + size);
    if (SetHandleSizeWithReserve(table, kOldPaneCount * kMidPaneSize) != noErr) return memFullErr;
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(table));
    std::memset(p, 0, kOldPaneCount * kMidPaneSize);
    for (Size i = 0; i < std::min<Size>(size / kOldPaneSize, kOldPaneCount); ++i)
      std::memcpy(p + i * kMidPaneSize, old.data() + i * kOldPaneSize, kOldPaneSize);
    size = kOldPaneCount * kMidPaneSize;
  }
  if (size < kSongPaneTableSize) {
    std::vector<uint8_t> old(HandleData(table), HandleData(table) + size);
    if (SetHandleSizeWithReserve(table, kSongPaneTableSize) != noErr) return memFullErr;
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(table));
    std::memset(p, 0, kSongPaneTableSize);
    for (Size i = 0; i < std::min<Size>(size / kMidPaneSize, kPaneCount); ++i) {
      std::memcpy(p + i * kPaneSize, old.data() + i * kMidPaneSize, kMidPaneSize);
      WriteU32BE(p + i * kPaneSize + 2, 0);
    }
  }
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(table));
  for (int32_t i = 0; i < kPaneCount; ++i) {
    uint8_t* pane = p + i * kPaneSize;
    if (pane[kPaneByte15] >= 128) continue;
    WriteI16BE(pane + kPaneWord22, int16_t(int8_t(pane[kPaneByte15])));
    pane[kPaneByte15] = 255;
  }
  return noErr;
}

OSErr WriteSongRecords(Handle block, bool isChild) {
  if (!IsLiveHandle(block)) return GetLastFileError();
  const uint8_t* song = reinterpret_cast<const uint8_t*>(HandleData(block));
  uint32_t length = StoredSongLength(song, GetHandleSize(block));
  bool link = isChild && IsLinkBlock(song);
  if (length == 0 || length > kMaxStoredSongLength || (isChild && !link && HasNestedChildren(song))) {
    gStreamError = paramErr;  // latched: no transfer follows that could clear it
    gIterationAbort = 1;
    return paramErr;
  }
  std::vector<uint8_t> image(song, song + length);
  MakeStoredSongImage(image, song, isChild, link);
  uint8_t prefix[2];
  WriteU16BE(prefix, uint16_t(length));
  WriteBlock(prefix, 2);
  if (GetLastFileError() == noErr) WriteBlock(image.data(), length);
  uint32_t at = kSongHeaderSize;
  for (int32_t k = 0; k < ReadU16BE(song + kSongTrackCount) && GetLastFileError() == noErr; ++k) {
    const uint8_t* entry = song + at;
    at += ReadU16BE(entry + kTrackLength);
    if (link) continue;
    WriteTrackData(entry);
    if (!isChild) WriteSongChildren(entry);
  }
  if (!link && GetLastFileError() == noErr) {
    WriteStoredConductorMap(song);
    if (GetLastFileError() == noErr) WriteStoredMarkerList(song);
    Handle extra(ReadU32BE(image.data() + kSongExtraBlock));
    Handle panes(ReadU32BE(image.data() + kSongWindowTable));
    if (GetLastFileError() == noErr) WriteHandleWithSize(extra);
    if (GetLastFileError() == noErr) WriteHandleWithSize(panes);
  }
  OSErr err = GetLastFileError();
  if (err != noErr) gIterationAbort = 1;
  return err;
}

OSErr WriteSongDocumentBody() {
  int32_t songs = 0, written = 0;
  for (int32_t slot = 0; slot < gSongCount; ++slot) songs += IsLiveHandle(GetSongHandleAt(slot)) ? 1 : 0;
  BeginProgress(kProgressSavingSong, songs);
  LockSongHandlesForWrite();
  OSErr err = noErr;
  for (int32_t slot = 0; slot < gSongCount && err == noErr && GetLastFileError() == noErr; ++slot) {
    Handle song = GetSongHandleAt(slot);
    if (!IsLiveHandle(song)) continue;
    err = WriteSongRecords(song, false);
    if (err == noErr && ProgressAskedToStop(++written)) err = kProgressCancelledErr;
  }
  TrackUnlockOptions unlock;
  UnlockSongHandlesAfterWrite(&unlock);
  EndProgress();
  return err != noErr ? err : GetLastFileError();
}
