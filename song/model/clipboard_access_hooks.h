// What the song model asks of the program's clipboard, which lives with the editing commands:
// setting the clipboard aside while an operation of the model uses it, and taking it back
// afterwards. Installed by the editing at start-up (InstallEditingHooks); an entry not
// installed does nothing (the clipboard is left as it is). Main thread only.
#pragma once

#include "platform/memory/mac_types.h"

struct SongClipboardHooks {
  // A block that holds the clipboard set aside (0 when nothing was set aside).
  Handle (*saveState)();
  // Puts the clipboard of a saved block back and disposes the block.
  void (*restoreState)(Handle saved);
};
extern SongClipboardHooks gSongClipboardHooks;

// The clipboard set aside; 0 when the editing is not installed.
Handle SaveSongClipboard();
// The clipboard of SaveSongClipboard back; a 0 block does nothing.
void RestoreSongClipboard(Handle saved);
