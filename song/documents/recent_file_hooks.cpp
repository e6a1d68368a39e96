#include "song/documents/recent_file_hooks.h"

RecentFileHooks gRecentFileHooks;

void RememberSongFile(const FSSpec* fileSpec) {
  if (gRecentFileHooks.rememberSongFile) gRecentFileHooks.rememberSongFile(fileSpec);
}

void RememberImportFile(const FSSpec* fileSpec) {
  if (gRecentFileHooks.rememberImportFile) gRecentFileHooks.rememberImportFile(fileSpec);
}
