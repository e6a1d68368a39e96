#include "song/model/songs.h"

#include <cstring>
#include <initializer_list>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/event_index.h"
#include "song/model/child_sequences.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_slots.h"
#include "song/model/track_entries.h"
#include "song/model/track_template.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"
#include "shell/base/new_song_defaults.h"
#include "song/undo/undo_ring.h"

Handle gSongHandles;
int32_t gSongCount = 0;
uint16_t gSongIdCounter = 1;
uint8_t gSectionMode = 0;
Handle gSectionModeSong;

namespace {

constexpr uint32_t kMarkerListEnd = 0x7fffffff;
constexpr int32_t kMarkerListSize = 8;

// Resizes the song block of h (unlocking it for the growth), then locks it high again.
OSErr ResizeSongBlock(Handle h, Size size) {
  int8_t state = HGetState(h);
  HUnlock(h);
  OSErr err = SetHandleSizeWithReserve(h, size);
  HSetState(h, state);
  LockHandleHigh(h);
  return err;
}

}  // namespace

Size SongBlockSize(int32_t n) { return SongBlockSizeFor(n); }

OSErr AddSong(Size size) {
  if (size < kSongHeaderSize) size = kSongHeaderSize;
  if (gCurrentSongIndex < 0 || gCurrentSongIndex >= gSongCount) return paramErr;
  Handle h = gCurrentSongIndex == 0 ? GetSongHandleAt(0) : Handle();
  gLastMemError = noErr;
  if (h) {
    OSErr err = ResizeSongBlock(h, size);
    if (err != noErr) {
      ReportError(err);
      return gLastMemError = err;
    }
  } else {
    h = NewHandleClearOrReport(size);
    if (!h) return gLastMemError;
    LockHandleHigh(h);
  }
  SetSongHandleAt(gCurrentSongIndex, h);
  SelectSong(h);
  gCurrentChildIndex = -1;
  InitSongHeader();
  NewSongLists();
  return gLastMemError;
}

OSErr AddChildSequence(bool link, Size size) {
  if (size < kSongHeaderSize) size = kSongHeaderSize;
  uint8_t* cell = GetChosenChildCell();
  if (!cell) return paramErr;
  gLastMemError = noErr;
  Handle h = NewHandleClearOrReport(size);
  cell = GetChosenChildCell();
  if (!h) {
    if (cell) std::memset(cell, 0, kChildCellSize);
    SelectSong(GetSongHandleAt(0));
    return gLastMemError;
  }
  LockHandleHigh(h);
  WriteU32BE(cell, h.id);
  WriteU32BE(cell + 4, 0);
  SelectSong(h);
  InitSongHeader();
  if (link)
    gCurrentSong[kSongFlags] |= kSongFlagLinked;
  else
    NewSongLists();
  return gLastMemError;
}

void InitSongHeader() {
  if (!gCurrentSong) return;
  std::memset(gCurrentSong, 0, kSongHeaderSize);
  SongHeaderView song(gCurrentSong);
  WriteU16BE(gCurrentSong + kSongDisplay182, 5);
  WriteU16BE(gCurrentSong + kSongDisplay184, gNewSongDefaults.display184);
  WriteU16BE(gCurrentSong + kSongDisplay186, gNewSongDefaults.display186);
  song.SetTempo(uint16_t(gConductorState.tempo));
  song.SetBars(1);
  gCurrentSong[kSongDisplayShift] = gNewSongDefaults.headerByte219;
  gCurrentSong[kSongPrefByte49] = gNewSongDefaults.headerByte49;
  song.SetBeatsPerBar(uint8_t(gConductorState.beatsPerBar));
  song.SetTicksPerBeat(uint16_t(gConductorState.ticksPerBeat));
  song.SetResolution(uint16_t(gTicksPerQuarter));
  song.SetId(gSongIdCounter);
  for (int i = 0; i < kSongColumnCount; ++i)
    WriteU16BE(gCurrentSong + kSongColumns + 2 * i, kSongDefaultColumns[i]);
  song.SetEndTick(1);
}

OSErr NewSongLists() {
  Handle markers = NewHandleClear(kMarkerListSize);
  if (!markers) {
    gLastMemError = MemError() ? MemError() : OSErr(memFullErr);
    ReportError(memFullErr);
    return gLastMemError;
  }
  WriteU32BE(HandleData(markers) + 4, kMarkerListEnd);
  SongHeaderView(gCurrentSong).SetMarkerList(markers);
  ResetConductorMap();
  return noErr;
}

void DisposeSongLists() {
  if (!gCurrentSong) return;
  for (int32_t field : {kSongConductorMap, kSongMarkerList, kSongWindowTable, kSongExtraBlock}) {
    Handle h(ReadU32BE(gCurrentSong + field));
    WriteU32BE(gCurrentSong + field, 0);
    if (h && !IsHandleInUndoRing(h)) DisposeHandle(h);
  }
}

OSErr CreateSongTracks(int32_t n, int32_t arg) {
  if (!gCurrentSong || n < 0) return paramErr;
  WriteU16BE(gCurrentSong + kSongCurrentEntry, 0);
  OSErr err = ResizeCurrentSong(SongBlockSize(n));
  if (err != noErr) return err;
  SongHeaderView(gCurrentSong).SetTrackCount(uint16_t(n));
  gCurrentSong[kSongTrackSelection + kSelectionMask] = 1;
  int32_t flag = arg;
  ForEachTrack(InitNewTrack, &flag);
  return noErr;
}

OSErr InitFirstSong(Handle song) {
  SelectSong(song);
  LockCurrentSongHigh();
  InitSongHeader();
  return CreateSongTracks(1, 1);
}

OSErr ResizeCurrentSong(Size size) {
  if (!gCurrentSongHandle) return nilHandleErr;
  if (size == GetCurrentSongSize()) return noErr;
  bool playing = IsClockPlayingSong(gCurrentSongHandle) || IsCurrentSongPlaying();
  int32_t lock = -1;
  if (playing) {
    lock = TryLockClockForSong(3);
    DetachPlayingCopy();
  }
  OSErr err = ResizeSongBlock(gCurrentSongHandle, size);
  RefreshCurrentSongPtr();
  if (playing) {
    ReattachPlayingCopy();
    UnlockClockForSong(lock == 0 ? 0 : -1);
  } else {
    CacheSongListInClock();
  }
  if (err != noErr) ReportError(err);
  return err;
}

bool IsSongIdUnique() {
  if (!gCurrentSong) return true;
  uint16_t id = ReadU16BE(gCurrentSong + kSongId);
  WriteU16BE(gCurrentSong + kSongId, 0);  // hide the song's own id while testing
  int32_t index = 0;
  bool unique = !FindSongById(id, &index);
  WriteU16BE(gCurrentSong + kSongId, id);
  return unique;
}

void AssignUniqueSongId() {
  for (gSongIdCounter = 1;; ++gSongIdCounter) {
    int32_t index = 0;
    if (!FindSongById(gSongIdCounter, &index)) break;
    if (gSongIdCounter == 0xFFFF) break;
  }
}

Handle FindSongById(uint16_t id, int32_t* index) {
  for (int32_t n = 0; n < gSongCount; ++n) {
    Handle h = GetSongHandleAt(n);
    char* p = h ? HandleData(h) : nullptr;
    if (p && ReadU16BE(p + kSongId) == id) {
      if (index) *index = n;
      return h;
    }
  }
  return Handle();
}

Handle FindLinkedSong() {
  if (!gCurrentSong) return Handle();
  int32_t index = 0;
  return FindSongById(ReadU16BE(gCurrentSong + kSongId), &index);
}

bool IsSongLink() { return gCurrentSong && (gCurrentSong[kSongFlags] & kSongFlagLinked); }

bool IsSongLocked() {
  if (!gCurrentSongHandle) return false;
  if (GetClipboardSongPart() == gCurrentSongHandle) return true;
  return IsHandleInUndoRing(gCurrentSongHandle) || IsSongHeldByUndo(gCurrentSongHandle);
}

int32_t GetSongTrackCount() {
  return gCurrentSong ? ReadU16BE(gCurrentSong + kSongTrackCount) : 0;
}

void DisposeSong() {
  if (!gCurrentSong) return;
  DisposeAllEventIndexes();  // they describe the current song's tracks
  ForEachTrack(DisposeTrackContents, nullptr);
  DisposeSongLists();
  if (gCurrentSongIndex == 0) {
    InitSongHeader();
    NewSongLists();
    CreateSongTracks(1, 0);
    return;
  }
  Handle h = gCurrentSongHandle;
  SetSongHandleAt(gCurrentSongIndex, Handle());
  SetCurrentSong(Handle());
  gCurrentTrack = gTrackTemplate;
  DisposeHandle(h);
}
