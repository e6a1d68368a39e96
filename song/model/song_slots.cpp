#include "song/model/song_slots.h"

#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/model/transport_hooks.h"

OSErr SetSongSlotCount(int32_t n) {
  if (n < 1) n = 1;
  if (!gSongHandles) {
    gSongHandles = NewHandleClear(n * 4);
    if (!gSongHandles) return MemError();
    gSongCount = n;
    return noErr;
  }
  Size old = GetHandleSize(gSongHandles);
  OSErr err = SetHandleSizeWithReserve(gSongHandles, n * 4);
  if (err != noErr) return err;
  if (n * 4 > old) BlockZero(HandleData(gSongHandles) + old, n * 4 - old);
  gSongCount = n;
  return noErr;
}

void CacheSongListInClock() {
  Handle first = gSongHandles && gSongCount > 0 ? GetSongHandleAt(0) : Handle();
  CacheSongListInTransport(gSongHandles, first);
}
