#include "song/model/clipboard_access_hooks.h"

SongClipboardHooks gSongClipboardHooks;

Handle SaveSongClipboard() {
  return gSongClipboardHooks.saveState ? gSongClipboardHooks.saveState() : Handle();
}

void RestoreSongClipboard(Handle saved) {
  if (saved && gSongClipboardHooks.restoreState) gSongClipboardHooks.restoreState(saved);
}
