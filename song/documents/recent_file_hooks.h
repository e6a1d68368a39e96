// What opening documents and importing files ask of the remembered-file lists that the
// menus keep. Installed by the menus at start-up (InstallRecentFileHooks); an entry not
// installed does nothing, and the file is not remembered.
#pragma once

#include "platform/files/files.h"

struct RecentFileHooks {
  void (*rememberSongFile)(const FSSpec* fileSpec);    // main thread
  void (*rememberImportFile)(const FSSpec* fileSpec);  // main thread
};
extern RecentFileHooks gRecentFileHooks;

// Puts a song document that was opened or saved at the top of the recent documents.
void RememberSongFile(const FSSpec* fileSpec);
// Puts a file that was imported at the top of the recent imports.
void RememberImportFile(const FSSpec* fileSpec);
