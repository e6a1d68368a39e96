#include "song/model/song_context.h"

#include "platform/memory/memory.h"
#include "song/model/songs.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"

Handle gCurrentSongHandle;
uint8_t* gCurrentSong = nullptr;
int32_t gCurrentSongIndex = 0;
int32_t gCurrentChildIndex = -1;
uint8_t* gCurrentTrack = gTrackTemplate;
uint8_t* gCurrentEvent = nullptr;
uint8_t gCurrentEventKind = 0;
uint8_t gCurrentEventChannel = 0;
uint8_t gSongModified = 0;
uint8_t gFollowSongLinks = 1;

namespace {

// One saved context. The track is kept as an offset into the song block (-1: the
// template), so that it survives the block moving while the context is saved.
struct SongContextEntry {
  Handle song;
  int32_t slot = 0;
  int32_t child = -1;
  int32_t trackOffset = -1;
  uint16_t entryIndex = 0;
};

SongContextEntry gContextStack[kSongContextDepth];
int32_t gContextStackTop = 0;

}  // namespace

void SetCurrentSong(Handle song) {
  gCurrentSongHandle = song;
  gCurrentSong = song ? reinterpret_cast<uint8_t*>(HandleData(song)) : nullptr;
  if (!gCurrentSong) gCurrentSongHandle = Handle();
}

void SelectSong(Handle song) {
  SetCurrentSong(song);
  UpdateCurrentTrackPtr();
}

void SelectSongIndex(int32_t n) {
  gCurrentSongIndex = n;
  SetCurrentSong(GetSongHandleAt(n));
  gCurrentChildIndex = -1;
}

void RefreshCurrentSongPtr() {
  SetCurrentSong(gCurrentSongHandle);
  UpdateCurrentTrackPtr();
}

void LockCurrentSongHigh() {
  if (!gCurrentSongHandle) return;
  if (!IsHandleLocked(gCurrentSongHandle)) MoveHHi(gCurrentSongHandle);
  HLock(gCurrentSongHandle);
  RefreshCurrentSongPtr();
}

void UnlockCurrentSong() {
  if (gCurrentSongHandle) HUnlock(gCurrentSongHandle);
}

Size GetCurrentSongSize() { return gCurrentSongHandle ? GetHandleSize(gCurrentSongHandle) : 0; }

uint8_t* GetSongHandleCell(int32_t n) {
  if (!gSongHandles || n < 0 || n >= gSongCount) return nullptr;
  if (Size(n * 4 + 4) > GetHandleSize(gSongHandles)) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(gSongHandles)) + n * 4;
}

uint8_t* GetCurrentSongHandleCell() { return GetSongHandleCell(gCurrentSongIndex); }

Handle GetSongHandleAt(int32_t n) {
  uint8_t* cell = GetSongHandleCell(n);
  return cell ? Handle(ReadU32BE(cell)) : Handle();
}

void SetSongHandleAt(int32_t n, Handle song) {
  uint8_t* cell = GetSongHandleCell(n);
  if (cell) WriteU32BE(cell, song.id);
}

OSErr PushSongContext() {
  if (gContextStackTop >= kSongContextDepth) return kContextStackFull;
  SongContextEntry& e = gContextStack[gContextStackTop++];
  e.song = gCurrentSongHandle;
  e.slot = gCurrentSongIndex;
  e.child = gCurrentChildIndex;
  e.trackOffset = (gCurrentSong && gCurrentTrack != gTrackTemplate)
                      ? int32_t(gCurrentTrack - gCurrentSong)
                      : -1;
  e.entryIndex = gCurrentSong ? ReadU16BE(gCurrentSong + kSongCurrentEntry) : 0;
  return noErr;
}

void PopSongContext() {
  if (gContextStackTop <= 0) return;
  const SongContextEntry& e = gContextStack[--gContextStackTop];
  gCurrentSongIndex = e.slot;
  gCurrentChildIndex = e.child;
  SelectSong(e.song);
  if (!gCurrentSong) {
    gCurrentTrack = gTrackTemplate;
    return;
  }
  WriteU16BE(gCurrentSong + kSongCurrentEntry, e.entryIndex);
  bool inside = e.trackOffset >= kSongHeaderSize &&
                e.trackOffset + kTrackEntrySize <= GetCurrentSongSize();
  gCurrentTrack = inside ? gCurrentSong + e.trackOffset : gTrackTemplate;
}

int32_t GetSongContextDepth() { return gContextStackTop; }

void SetSongModified() { gSongModified = 1; }

void SplitCurrentEventStatus() {
  uint8_t status = gCurrentEvent ? gCurrentEvent[5] : 0;
  gCurrentEventKind = status & 0xF0;
  gCurrentEventChannel = status & 0x0F;
}
