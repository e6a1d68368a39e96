#include "song/model/song_database.h"

#include "platform/memory/memory.h"
#include "shell/base/fatal_stop.h"
#include "shell/base/memory_reserve.h"
#include "song/events/event_index.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"

namespace {

// Song 0 exists and is current; a fresh block is made when the slot is empty.
void EnsureFirstSong() {
  if (!gSongHandles) SetSongSlotCount(kNewDocumentSongSlots);
  if (GetSongHandleAt(0)) {
    SelectSongIndex(0);
    SelectSong(GetSongHandleAt(0));
    return;
  }
  Handle song = NewHandleClearWithReserve(kFirstSongBlockSize);
  if (!song) FatalMemoryStop(gLastMemError ? gLastMemError : OSErr(memFullErr));
  SetSongHandleAt(0, song);
  gCurrentSongIndex = 0;
  gCurrentChildIndex = -1;
  InitFirstSong(song);
  SelectSongIndex(0);
  SelectSong(song);
  ResetTrackTemplate();
}

// Disposes every song in slots 1 and up, so that clearing the table leaks nothing.
void DisposeOtherSongs() {
  for (int32_t slot = 1; slot < gSongCount; ++slot) {
    if (!GetSongHandleAt(slot)) continue;
    SelectSongIndex(slot);
    SelectSong(GetSongHandleAt(slot));
    DisposeSong();
  }
}

int32_t UnlockSongVisit(SongVisitRecord*) {
  if (gCurrentSongHandle) HUnlock(gCurrentSongHandle);
  return 0;
}

int32_t LockSongVisit(SongVisitRecord*) {
  LockCurrentSongHigh();
  return 0;
}

}  // namespace

void ResetSongDatabase() {
  EnsureFirstSong();
  DisposeAllEventIndexes();
  ForEachTrack(DisposeTrackContents, nullptr);
  DisposeSongLists();
  InitSongHeader();
  SetSongSlotCount(kNewDocumentSongSlots);
  DisposeOtherSongs();
  SelectSongIndex(0);
  SelectSong(GetSongHandleAt(0));
  for (int32_t slot = 1; slot < gSongCount; ++slot) SetSongHandleAt(slot, Handle());
  CreateSongTracks(1, 1);
  NewSongLists();
  RebuildTrackNumberMap();
}

void CompactSongMemory(Size size) {
  if (gSectionMode) return;
  if (CompactMem(size) >= size) return;
  SongVisitRecord unlock;
  unlock.callback = UnlockSongVisit;
  unlock.flags = kVisitClipboardSong;
  ForEachSongAndChild(&unlock);
  CompactMem(size);
  SongVisitRecord lock;
  lock.callback = LockSongVisit;
  lock.flags = kVisitClipboardSong;
  ForEachSongAndChild(&lock);
  RefreshCurrentSongPtr();
}
