#include "song/model/linked_song_swap.h"

#include "platform/memory/memory.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_iteration.h"
#include "song/undo/undo_ring.h"

int32_t SwapChildWithLinkedSong(void*) {
  gIterationAbort = 0;
  if (!gCurrentSong || IsSongLink()) return 0;
  int32_t slot = -1;
  Handle open = FindSongById(ReadU16BE(gCurrentSong + kSongId), &slot);
  uint8_t* cell = GetChosenChildCell();
  Handle child = gCurrentSongHandle;
  if (!open || slot < 0 || !cell || open == child) return 0;
  gCurrentSong[kSongFlags] |= kSongFlagLinked;
  SetSongTreeRacksShared(child, 0);
  SetSongHandleAt(slot, child);
  if (uint8_t* song = reinterpret_cast<uint8_t*>(HandleData(open)))
    song[kSongFlags] &= uint8_t(~kSongFlagLinked);
  SetSongTreeRacksShared(open, 1);
  if ((cell = GetChosenChildCell())) WriteU32BE(cell, open.id);
  SelectSong(open);
  return 0;
}

int32_t SwapTrackChildrenWithLinkedSongs(void* arg) {
  ForEachChildSequenceAll(SwapChildWithLinkedSong, arg);
  gIterationAbort = 0;
  return 0;
}

void SwapUndoChildrenWithLinkedSongs(UndoRecord* record) {
  if (!record || !record->spareSong || PushSongContext() != noErr) return;
  Handle spare = record->spareSong;
  int8_t state = HGetState(spare);
  HLock(spare);
  SelectSong(spare);
  ForEachTrack(SwapTrackChildrenWithLinkedSongs, nullptr);
  HSetState(spare, state);
  PopSongContext();
}
