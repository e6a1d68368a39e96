#include "song/undo/undo_copies.h"

#include <cstring>
#include <vector>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/conductor_map.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int32_t kListFields[4] = {kSongConductorMap, kSongMarkerList, kSongWindowTable,
                                    kSongExtraBlock};
constexpr int32_t kMarkerListSize = 8;
constexpr uint32_t kMarkerListEnd = 0x7fffffff;
constexpr int32_t kHeaderCopyStart = 2;

// The record length of an entry, or 0 when it is not a plausible record of the song block.
int32_t EntryLength(const uint8_t* entry) {
  int32_t length = ReadI16BE(entry + kTrackLength);
  if (length < kTrackEntrySize) return 0;
  if (entry + length > gCurrentSong + GetCurrentSongSize()) return 0;
  return length;
}

Handle NewMarkerList() {
  Handle markers = NewHandleClear(kMarkerListSize);
  if (markers) WriteU32BE(HandleData(markers) + 4, kMarkerListEnd);
  return markers;
}

void DuplicateTrackHandles(SongCopyContext* context, const uint8_t* source) {
  for (int32_t field : kTrackHandleFields) {
    Handle h(ReadU32BE(source + field));
    if (!h || context->failure) continue;
    Handle copy;
    if (field == kTrackInsertRack) {
      OSErr err = DuplicateRackShared(h, &copy);
      if (err != noErr) NoteCopyFailure(context, err);
    } else {
      copy = CopyHandleUnlessFailed(context, h);
    }
    RefreshCurrentSongPtr();
    WriteU32BE(gCurrentTrack + field, copy.id);
  }
}

int32_t ReleaseTrackPluginsTree(void* arg);

int32_t ReleaseChildPlugins(void* arg) {
  if (!IsSongLink()) ForEachTrack(ReleaseTrackPluginsTree, arg);
  gIterationAbort = 0;
  return 0;
}

int32_t ReleaseTrackPluginsTree(void* arg) {
  if (!HasValidCurrentTrack()) return 0;
  // The audio records go with the track's handles; the blocks they hold (regions, a saved
  // rack state waiting to be opened) go here, as when a song is closed.
  ReleaseRackPlugins(Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack)));
  DisposePluginRecordHandles(Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack)));
  DisposePluginRecordHandles(Handle(ReadU32BE(gCurrentTrack + kTrackRegionList2)));
  ForEachChildSequenceAll(ReleaseChildPlugins, arg);
  return 0;
}

}  // namespace

void DisposeOwnedTrackContents() {
  uint8_t follow = gFollowSongLinks;
  gFollowSongLinks = 0;
  ReleaseTrackPluginsTree(nullptr);
  DisposeTrackContents(nullptr);
  gFollowSongLinks = follow;
}

Size SongRecordsEnd() {
  int32_t count = GetSongTrackCount();
  if (count == 0) return kSongHeaderSize;
  uint8_t* last = GetTrackEntryAt(count - 1);
  if (!last) return GetCurrentSongSize();
  int32_t length = EntryLength(last);
  return length ? Size(last - gCurrentSong) + length : GetCurrentSongSize();
}

void ClearTrackRecordHandles(uint8_t* entry) {
  for (int32_t field : kTrackHandleFields) WriteU32BE(entry + field, 0);
  int32_t cells = (ReadI16BE(entry + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  if (cells > entry[kTrackChildCount]) cells = entry[kTrackChildCount];
  if (cells > 0) std::memset(entry + kTrackChildTable, 0, size_t(kChildCellSize * cells));
}

void NoteCopyFailure(SongCopyContext* context, OSErr err) {
  context->failure = 1;
  if (context->reported) return;
  context->reported = 1;
  ReportError(err ? err : OSErr(memFullErr));
}

Handle CopyHandleUnlessFailed(SongCopyContext* context, Handle h) {
  if (context->failure || !h || !IsValidHandle(h)) return Handle();
  Handle copy;
  OSErr err = DuplicateHandleWithReserve(h, &copy);
  if (err != noErr) {
    NoteCopyFailure(context, err);
    return Handle();
  }
  return copy;
}

void CopySongListsInto(SongCopyContext* context, Handle source, Handle dest) {
  if (PushSongContext() != noErr) {
    NoteCopyFailure(context, kContextStackFull);
    return;
  }
  SelectSong(dest);
  DisposeSongLists();
  uint8_t* src = reinterpret_cast<uint8_t*>(HandleData(source));
  uint32_t length = ReadU32BE(src + kSongConductorLength);
  for (int32_t field : kListFields) {
    Handle copy = CopyHandleUnlessFailed(context, Handle(ReadU32BE(src + field)));
    src = reinterpret_cast<uint8_t*>(HandleData(source));
    RefreshCurrentSongPtr();
    WriteU32BE(gCurrentSong + field, copy.id);
  }
  Handle map(ReadU32BE(gCurrentSong + kSongConductorMap));
  if (map) {
    WriteU32BE(gCurrentSong + kSongConductorLength, length);
    if (Size(length) + kConductorRecordSize <= GetHandleSize(map))
      WriteConductorEndRecord(reinterpret_cast<uint8_t*>(HandleData(map)) + length);
  } else if (!context->failure) {
    ResetConductorMap();
  }
  if (!context->failure && !ReadU32BE(gCurrentSong + kSongMarkerList)) {
    Handle markers = NewMarkerList();
    if (!markers) NoteCopyFailure(context, memFullErr);
    RefreshCurrentSongPtr();
    WriteU32BE(gCurrentSong + kSongMarkerList, markers.id);
  }
  PopSongContext();
}

void CopySongHeaderInto(Handle source, Handle copy) {
  uint8_t* dst = reinterpret_cast<uint8_t*>(HandleData(copy));
  const uint8_t* src = reinterpret_cast<const uint8_t*>(HandleData(source));
  if (!dst || !src) return;
  uint32_t kept[4];
  for (int i = 0; i < 4; ++i) kept[i] = ReadU32BE(dst + kListFields[i]);
  uint32_t keptLength = ReadU32BE(dst + kSongConductorLength);
  std::memmove(dst + kHeaderCopyStart, src + kHeaderCopyStart,
               size_t(kSongHeaderSize - kHeaderCopyStart));
  for (int i = 0; i < 4; ++i) WriteU32BE(dst + kListFields[i], kept[i]);
  WriteU32BE(dst + kSongConductorLength, keptLength);
  WriteU16BE(dst + kSongCurrentEntry, 0);
  WriteU32BE(dst + kSongPackedPosition, PackCurrentPosition());
}

void CopySongIntoUndo(SongCopyContext* context, Handle song, Handle copy) {
  if (!song || !copy) {
    NoteCopyFailure(context, nilHandleErr);
    return;
  }
  CopySongListsInto(context, song, copy);
  CopySongHeaderInto(song, copy);
}

void CopyTrackWithHandles(SongCopyContext* context) {
  if (context->failure) return;
  if (!HasValidCurrentTrack()) return;
  int32_t length = EntryLength(gCurrentTrack);
  if (length == 0) return;
  std::vector<uint8_t> bytes(gCurrentTrack, gCurrentTrack + length);
  if (PushSongContext() != noErr) {
    NoteCopyFailure(context, kContextStackFull);
    return;
  }
  SelectSong(context->destination);
  SetCurrentTrackIndex(context->trackIndex);
  if (!HasValidCurrentTrack()) {
    NoteCopyFailure(context, paramErr);
    PopSongContext();
    return;
  }
  DisposeOwnedTrackContents();
  if (ResizeCurrentTrackEntry(length) != noErr) {
    NoteCopyFailure(context, memFullErr);
    PopSongContext();
    return;
  }
  std::memcpy(gCurrentTrack, bytes.data(), size_t(length));
  ClearTrackRecordHandles(gCurrentTrack);
  DuplicateTrackHandles(context, bytes.data());
  uint16_t destEntry = ReadU16BE(gCurrentSong + kSongCurrentEntry);
  PopSongContext();
  if (context->failure || bytes[kTrackChildCount] == 0) return;
  // The child walk copies into the destination's current track: make it the filled entry.
  uint8_t* dest = reinterpret_cast<uint8_t*>(HandleData(context->destination));
  uint16_t keptEntry = ReadU16BE(dest + kSongCurrentEntry);
  WriteU16BE(dest + kSongCurrentEntry, destEntry);
  uint8_t follow = gFollowSongLinks;
  gFollowSongLinks = 0;
  ForEachChildSequenceAll(CopyChildSequenceInto, context);
  gFollowSongLinks = follow;
  dest = reinterpret_cast<uint8_t*>(HandleData(context->destination));
  WriteU16BE(dest + kSongCurrentEntry, keptEntry);
  gIterationAbort = 0;
}

int32_t CopyTrackIntoUndo(void* arg, uint8_t* entry) {
  auto* context = static_cast<SongCopyContext*>(arg);
  int32_t number = entry[kTrackNumber];
  if (context->failure) return 1;
  if (number >= kMaxTrackNumbers) return 0;
  if (PushSongContext() != noErr) {
    NoteCopyFailure(context, kContextStackFull);
    return 1;
  }
  SelectSong(context->destination);
  int32_t index = -1;
  if (SelectTrackWithNumber(number)) {
    index = GetCurrentTrackIndex();
  } else if (AddTrackEntry(kTrackEntrySize) == noErr) {
    index = GetCurrentTrackIndex();
    gCurrentTrack[kTrackNumber] = uint8_t(number);
  }
  PopSongContext();
  if (index < 0) {
    NoteCopyFailure(context, memFullErr);
    return 1;
  }
  context->trackIndex = index;
  CopyTrackWithHandles(context);
  return context->failure ? 1 : 0;
}

Handle NewSnapshotHandle() {
  Handle h = NewHandleClearOrReport(kSnapshotSongSize);
  if (!h) return Handle();
  if (PushSongContext() != noErr) {
    DisposeHandle(h);
    return Handle();
  }
  InitFirstSong(h);
  PopSongContext();
  return h;
}

Handle NewSpareSong() {
  Handle h = NewSnapshotHandle();
  if (!h || PushSongContext() != noErr) return h;
  SelectSong(h);
  WriteU16BE(gCurrentSong + kSongTrackCount, 0);
  WriteU16BE(gCurrentSong + kSongCurrentEntry, 0);
  ResizeCurrentSong(kSongHeaderSize);
  PopSongContext();
  return h;
}

void DisposeSnapshotSong(Handle* song) {
  if (!song || !*song) return;
  Handle h = *song;
  *song = Handle();
  if (!IsValidHandle(h)) return;
  if (gCurrentSongHandle == h) {  // the context must not come back to a freed block
    SetCurrentSong(Handle());
    gCurrentTrack = gTrackTemplate;
  }
  bool pushed = PushSongContext() == noErr;
  uint8_t follow = gFollowSongLinks;
  gFollowSongLinks = 0;
  SelectSong(h);
  if (!IsSongLink()) {
    ForEachTrack(ReleaseTrackPluginsTree, nullptr);
    ForEachTrack(DisposeTrackContents, nullptr);
    DisposeSongLists();
  }
  SetCurrentSong(Handle());
  gCurrentTrack = gTrackTemplate;
  gFollowSongLinks = follow;
  DisposeHandle(h);
  if (pushed) PopSongContext();
}

uint32_t PackCurrentPosition() {
  uint32_t index = uint32_t(gCurrentSongIndex) & 0xFFFF;
  int32_t track = gCurrentChildIndex >= 0 ? gChildParentTrackNumber
                  : (gCurrentSong && gCurrentTrack != gTrackTemplate) ? gCurrentTrack[kTrackNumber]
                                                                       : gCurrentTrackNumber;
  uint32_t child = uint32_t(gCurrentChildIndex) & 0xFF;
  return ((index & 0xFF) << 24) | ((uint32_t(track) & 0xFF) << 16) | (child << 8) | (index >> 8);
}

int32_t UnpackCurrentPosition(uint32_t word, int32_t field) {
  switch (field) {
    case 0: return int32_t(((word >> 24) & 0xFF) | ((word & 0xFF) << 8));
    case 1: return int32_t((word >> 16) & 0xFF);
    default: return int32_t(int8_t((word >> 8) & 0xFF));
  }
}

bool SelectTrackWithNumber(int32_t n) {
  int32_t index = 0;
  if (!FindTrackWithNumber(n, &index)) return false;
  SetCurrentTrackIndex(index);
  return true;
}

bool SelectPackedPosition(uint32_t word) {
  SelectSongIndex(UnpackCurrentPosition(word, 0));
  if (!gCurrentSong) return false;
  UpdateCurrentTrackPtr();
  int32_t child = UnpackCurrentPosition(word, 2);
  if (child < 0) return true;
  // The parent's entry is found without making it current: its header stays as it is.
  int32_t track = UnpackCurrentPosition(word, 1);
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) break;
    if (entry[kTrackNumber] != track) continue;
    gCurrentTrack = entry;
    return SelectChildSequence(child);
  }
  return false;
}
