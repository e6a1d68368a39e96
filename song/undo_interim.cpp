#include "song/undo_interim.h"

#include "song/song_context.h"
#include "song/song_layout.h"

// Interim: the ring is empty, so nothing is held by it.
bool IsHandleInUndoRing(Handle) { return false; }

// Interim: the ring is empty, so no song is held by it.
bool IsSongHeldByUndo(Handle) { return false; }

// Interim: no track-edit hook is installed yet.
void BeginTrackEdit() {}

// Interim: keeps header bit 0x40 of byte 17 as the final bracket does; no track-edit hook.
void EndTrackEdit() {
  if (!gCurrentSong) return;
  uint8_t flags = gCurrentSong[kSongFlags];
  bool linkedChild = (flags & kSongFlagLinked) && gCurrentChildIndex >= 0;
  flags = linkedChild ? (flags | kSongFlagEditedWhilePlaying)
                      : (flags & ~kSongFlagEditedWhilePlaying);
  gCurrentSong[kSongFlags] = flags;
}
