// The five lists of remembered files (recent documents, media, imports, the jukebox's),
// most recent first. Each entry keeps an alias and the FSSpec it last resolved to; the lists
// feed menus and are saved as 'BMID' resources in the preferences file.
#pragma once

#include "platform/files/files.h"
#include "platform/menus/menus.h"

struct AliasListEntry {
  Handle alias;  // null for an empty entry
  FSSpec fileSpec;   // an empty name means "not resolved yet"
};

struct AliasList {
  int32_t count;       // fixed capacity
  int32_t resourceBase;  // entry i is 'BMID' base + i
  Handle entries;      // count AliasListEntry records, made zeroed on first use
  MenuRef menu;        // the menu last built from the list
};

extern AliasList gSongFileList;
extern AliasList gMediaFileList;
extern AliasList gFileList5200;
extern AliasList gJukeboxFileList;
extern AliasList gImportFileList;

constexpr int16_t kRecentMenuFixedItems = 4;
constexpr MenuID kRecentSongsMenuId = 92;
constexpr MenuID kRecentImportsMenuId = 96;
constexpr int16_t kClearRecentAlertId = 539;

void AddFileToAliasList(AliasList* list, const FSSpec* fileSpec, Handle alias);
void RemoveAliasListEntry(AliasList* list, int32_t i);
void InvalidateAliasList(AliasList* list);
void InvalidateAllAliasLists();
const FSSpec* ResolveAliasListEntry(AliasListEntry* entry, OSErr* err, StringPtr displayName);
void BuildRecentFileMenu(AliasList* list, MenuRef menu, int16_t fixedItems);
void RebuildRecentFileMenu(AliasList* list, MenuRef menu, int16_t fixedItems);
// Rebuilds the submenus of the recent documents (92) and the recent imports (96) from their
// lists, as the File menu's state is brought up to date before it opens.
void RebuildRecentFileMenus();
void HandleRecentFileMenu(AliasList* list, int16_t item, int16_t fileCommand, bool resetUndo);
void SaveAliasList(AliasList* list);
void LoadAliasList(AliasList* list);
void SaveAllAliasLists();

// Fills gRecentFileHooks: the documents' RememberSongFile and RememberImportFile add to
// gSongFileList and gImportFileList.
void InstallRecentFileHooks();

// The entry at index i (the entries block must exist).
AliasListEntry* AliasListEntryAt(AliasList* list, int32_t i);
