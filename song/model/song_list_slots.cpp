#include "song/model/song_list_slots.h"

#include <algorithm>
#include <vector>

#include "platform/events/key_codes.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/track_selection.h"
#include "song/model/transport_hooks.h"

namespace {

int32_t gSongListAnchor = 0;  // the slot of the previous click, for shift clicks

uint8_t* SongAt(int32_t slot) {
  Handle h = GetSongHandleAt(slot);
  return h ? reinterpret_cast<uint8_t*>(HandleData(h)) : nullptr;
}

void SetSelectedBit(int32_t slot, bool on) {
  uint8_t* song = SongAt(slot);
  if (!song) return;
  if (on) song[kSongOptions] |= kSongOptionListSelected;
  else song[kSongOptions] &= uint8_t(~kSongOptionListSelected);
}

// Nothing but the song table holds the song: not the clipboard, the undo ring or the clock.
bool IsCurrentSongFree() {
  return gCurrentSongHandle && !IsSongLocked() && !IsClockPlayingSong(gCurrentSongHandle);
}

}  // namespace

OSErr MakeSongInEmptySlot() {
  if (gCurrentSongIndex < 0 || gCurrentSongIndex >= std::min(gSongCount, kMaxSongSlots)) return paramErr;
  if (GetSongHandleAt(gCurrentSongIndex)) return noErr;
  AssignUniqueSongId();
  OSErr err = AddSong(SongBlockSize(1));
  if (err == noErr) err = CreateSongTracks(1, 1);
  if (err != noErr) {
    if (gCurrentSongIndex != 0 && gCurrentSongHandle) DisposeSong();
    SelectSongIndex(gCurrentSongIndex);
    return err;
  }
  RestoreTrackSelection(gCurrentSong + kSongTrackSelection);
  SetSongModified();
  return noErr;
}

void UpdateSongLinkFlags() {
  for (int32_t slot = 0; slot < gSongCount; ++slot) {
    uint8_t* song = SongAt(slot);
    if (!song) continue;
    uint16_t id = ReadU16BE(song + kSongId);
    bool shared = false;
    for (int32_t other = 0; other < gSongCount && !shared; ++other)
      shared = other != slot && SongAt(other) && ReadU16BE(SongAt(other) + kSongId) == id;
    if (shared) song[kSongFlags] |= kSongFlagLinked;
    else song[kSongFlags] &= uint8_t(~kSongFlagLinked);
  }
}

bool IsSongSlotSelected(int32_t slot) {
  const uint8_t* song = SongAt(slot);
  return song && (song[kSongOptions] & kSongOptionListSelected);
}

void MarkSongSlotSelected(int32_t slot) { SetSelectedBit(slot, true); }

void SelectSongListRows(int32_t slot, uint32_t modifiers) {
  if (modifiers & cmdKey) {
    SetSelectedBit(slot, !IsSongSlotSelected(slot));
  } else {
    int32_t first = slot, last = slot;
    if (modifiers & shiftKey) {
      first = std::min(gSongListAnchor, slot);
      last = std::max(gSongListAnchor, slot);
    }
    for (int32_t n = 0; n < gSongCount; ++n) SetSelectedBit(n, n >= first && n <= last);
  }
  gSongListAnchor = slot;
}

OSErr MoveSelectedSongsToRow(int32_t row) {
  if (row < 0 || !gSongHandles) return paramErr;
  std::vector<Handle> moved, others;
  for (int32_t slot = 0; slot < gSongCount; ++slot)
    (IsSongSlotSelected(slot) ? moved : others).push_back(GetSongHandleAt(slot));
  if (moved.empty()) return noErr;
  int32_t needed = row + int32_t(moved.size());
  if (needed > kMaxSongSlots) return memFullErr;  // the moved songs would leave slots 0..15
  if (needed > gSongCount) {
    OSErr err = SetSongSlotCount(needed);
    if (err != noErr) return err;
    others.resize(size_t(needed) - moved.size(), Handle());
  }
  others.insert(others.begin() + row, moved.begin(), moved.end());
  for (int32_t slot = 0; slot < gSongCount; ++slot) SetSongHandleAt(slot, others[size_t(slot)]);
  if (!GetSongHandleAt(0)) {
    SelectSongIndex(0);
    OSErr err = MakeSongInEmptySlot();
    if (err != noErr) return err;
  }
  SetSongModified();
  return noErr;
}

int32_t DisposeSelectedSongs() {
  int32_t first = -1, previous = gCurrentSongIndex;
  for (int32_t slot = 0; slot < gSongCount; ++slot) {
    if (!IsSongSlotSelected(slot)) continue;
    SelectSongIndex(slot);
    if (!IsCurrentSongFree()) continue;
    DisposeSong();
    if (first < 0) first = slot;
  }
  if (first < 0) {  // every selected song is held elsewhere: the current song stays
    SelectSongIndex(previous);
    if (gCurrentSongHandle) SelectSong(gCurrentSongHandle);
    return -1;
  }
  int32_t used = 0;
  for (int32_t slot = 0; slot < gSongCount; ++slot)
    if (GetSongHandleAt(slot)) used = slot + 1;
  if (gSongCount > kLeastSongSlotCount) SetSongSlotCount(std::max(used, kLeastSongSlotCount));
  SetSongModified();
  int32_t slot = std::max(first - 1, 0);
  while (slot > 0 && !GetSongHandleAt(slot)) --slot;  // slot 0 always holds a song
  return slot;
}

int32_t FindSteppedSongSlot(int32_t from, int32_t delta) {
  int32_t slots = std::min(gSongCount, kMaxSongSlots);
  if (slots <= 0 || delta == 0) return from;
  int32_t step = delta > 0 ? 1 : -1;
  for (int32_t n = 1; n <= slots; ++n) {
    int32_t slot = ((from + step * n) % slots + slots) % slots;
    if (GetSongHandleAt(slot)) return slot;
  }
  return from;
}
