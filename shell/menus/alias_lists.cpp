#include "shell/menus/alias_lists.h"

#include <cstring>

#include "media/file_locations.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "platform/system/sys_beep.h"
#include "plugins/catalog_info.h"
#include "shell/app/song_switch.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/menus/menu_items.h"
#include "shell/windows/menu_building.h"
#include "song/documents/open_dispatch.h"
#include "song/documents/recent_file_hooks.h"
#include "song/smf/smf_import_state.h"
#include "song/undo/undo_ring.h"

AliasList gSongFileList = {75, 5000, Handle(), nullptr};
AliasList gMediaFileList = {35, 5100, Handle(), nullptr};
AliasList gFileList5200 = {30, 5200, Handle(), nullptr};
AliasList gJukeboxFileList = {15, 5300, Handle(), nullptr};
AliasList gImportFileList = {35, 5400, Handle(), nullptr};

namespace {

constexpr int16_t kFileMenuId = 428;
AliasList* const kAllLists[] = {&gSongFileList, &gMediaFileList, &gFileList5200, &gJukeboxFileList,
                                &gImportFileList};

void ClearEntry(AliasListEntry* entry) {
  entry->alias = Handle();
  entry->fileSpec = FSSpec();
}

bool EntryMatches(AliasListEntry* entry, const FSSpec* fileSpec) {
  OSErr err = noErr;
  const FSSpec* resolved = ResolveAliasListEntry(entry, &err, nullptr);
  if (!resolved) return false;
  FSSpec compared = *resolved;
  if (fileSpec->name[0] == 0 && GetCatInfoOfSpec(&compared) != noErr) return false;
  return IsSameFileSpec(&compared, fileSpec);
}

// Moves entry i to the front, the entries before it one place down.
void MoveEntryToFront(AliasList* list, int32_t i) {
  AliasListEntry kept = *AliasListEntryAt(list, i);
  AliasListEntry* first = AliasListEntryAt(list, 0);
  std::memmove(first + 1, first, sizeof(AliasListEntry) * size_t(i));
  *first = kept;
}

bool EnsureEntries(AliasList* list) {
  if (list->entries) return true;
  list->entries = NewHandleClearWithReserve(Size(sizeof(AliasListEntry)) * list->count);
  return bool(list->entries);
}

}  // namespace

AliasListEntry* AliasListEntryAt(AliasList* list, int32_t i) {
  return reinterpret_cast<AliasListEntry*>(*list->entries) + i;
}

void AddFileToAliasList(AliasList* list, const FSSpec* fileSpec, Handle alias) {
  if (!EnsureEntries(list)) {
    DisposeHandleAndClear(&alias);
    return;
  }
  int8_t state = HGetState(list->entries);
  HLock(list->entries);
  int32_t i = 0;
  while (i < list->count && !EntryMatches(AliasListEntryAt(list, i), fileSpec)) ++i;
  if (i == list->count) {
    i = list->count - 1;
    RemoveAliasListEntry(list, i);
  }
  AliasListEntry* entry = AliasListEntryAt(list, i);
  entry->fileSpec = *fileSpec;
  bool taken = false;
  if (alias) {
    DisposeHandleAndClear(&entry->alias);
    entry->alias = alias;
    taken = true;
  } else if (!entry->alias) {
    Handle made;
    if (NewAlias(nullptr, fileSpec, &made) != noErr) {
      HSetState(list->entries, state);
      return;
    }
    entry->alias = made;
  }
  if (i > 0) MoveEntryToFront(list, i);
  HSetState(list->entries, state);
  if (!taken) DisposeHandleAndClear(&alias);
}

void RemoveAliasListEntry(AliasList* list, int32_t i) {
  if (!list->entries || i < 0 || i >= list->count) return;
  AliasListEntry* entry = AliasListEntryAt(list, i);
  entry->fileSpec.name[0] = 0;
  DisposeHandleAndClear(&entry->alias);
  std::memmove(entry, entry + 1, sizeof(AliasListEntry) * size_t(list->count - 1 - i));
  ClearEntry(AliasListEntryAt(list, list->count - 1));
}

void InvalidateAliasList(AliasList* list) {
  if (!list->entries) return;
  for (int32_t i = 0; i < list->count; ++i) AliasListEntryAt(list, i)->fileSpec.name[0] = 0;
}

void InvalidateAllAliasLists() {
  for (AliasList* list : kAllLists) InvalidateAliasList(list);
}

const FSSpec* ResolveAliasListEntry(AliasListEntry* entry, OSErr* err, StringPtr displayName) {
  *err = noErr;
  if (entry->fileSpec.name[0] == 0 && entry->alias) {
    Boolean changed = false;
    *err = ResolveAliasNoUI(entry->alias, &entry->fileSpec, &changed);
    if (*err != noErr) entry->fileSpec.name[0] = 0;
  }
  if (entry->fileSpec.name[0] == 0) return nullptr;
  if (displayName) {
    Str255 path;
    if (GetSpecHfsPath(&entry->fileSpec, path, 256) == noErr) SplitLastPathComponent(path, displayName);
  }
  return &entry->fileSpec;
}

void BuildRecentFileMenu(AliasList* list, MenuRef menu, int16_t fixedItems) {
  list->menu = menu;
  if (!list->entries) return;
  DeleteMenuItemsAfter(menu, fixedItems);
  int8_t state = HGetState(list->entries);
  HLock(list->entries);
  for (int32_t i = 0; i < list->count;) {
    Str255 name;
    name[0] = 0;
    OSErr err = noErr;
    const FSSpec* fileSpec = ResolveAliasListEntry(AliasListEntryAt(list, i), &err, name);
    if (fileSpec) {
      AppendMenuItemLiteral(menu, name[0] ? name : fileSpec->name);
    } else if (err != noErr) {
      RemoveAliasListEntry(list, i);
      continue;  // the next entry moved into this place
    }
    ++i;
  }
  HSetState(list->entries, state);
}

void RebuildRecentFileMenu(AliasList* list, MenuRef menu, int16_t fixedItems) {
  BuildRecentFileMenu(list, menu, fixedItems);
}

void RebuildRecentFileMenus() {
  const struct {
    AliasList* list;
    MenuID menu;
  } kMenus[] = {{&gSongFileList, kRecentSongsMenuId}, {&gImportFileList, kRecentImportsMenuId}};
  for (const auto& m : kMenus)
    if (MenuRef menu = GetMenuHandle(m.menu)) RebuildRecentFileMenu(m.list, menu, kRecentMenuFixedItems);
}

void HandleRecentFileMenu(AliasList* list, int16_t item, int16_t fileCommand, bool resetUndo) {
  ResetSmfImportState();
  if (item == 1) {
    DispatchMenuCommand(kFileMenuId, fileCommand);
  } else if (item == 3) {
    if (list->entries && ShowAlert(kClearRecentAlertId, kCautionAlert) == 2) {
      for (int32_t i = list->count - 1; i >= 0; --i) RemoveAliasListEntry(list, i);
      RebuildRecentFileMenu(list, list->menu, kRecentMenuFixedItems);
    }
  } else if (item >= 5 && list->entries && item - 5 < list->count) {
    FSSpec fileSpec = AliasListEntryAt(list, item - 5)->fileSpec;
    int16_t refNum = 0;
    if (OpenDataFork(&fileSpec, fsRdPerm, &refNum) == noErr) {
      CloseFork(refNum);
      if (OpenDocumentSpec(&fileSpec, 0, 0) == noErr) {
        if (resetUndo) ResetUndoHistory();
        RefreshAfterSongSwitch(1);
      }
    } else {
      int8_t state = HGetState(list->entries);
      HLock(list->entries);
      RemoveAliasListEntry(list, item - 5);
      HSetState(list->entries, state);
      SysBeep(5);
    }
  }
}

void SaveAliasList(AliasList* list) {
  if (!list->entries) return;
  CheckPrefsResFileOpen();
  UsePrefsResFile();
  if (gPrefsResFile == -1) return;
  static const unsigned char kNoName[] = "";
  for (int32_t i = 0; i < list->count; ++i) {
    int16_t id = int16_t(list->resourceBase + i);
    Handle alias = AliasListEntryAt(list, i)->alias;
    AliasListEntryAt(list, i)->alias = Handle();
    if (alias) {
      WriteBMIDResource(&alias, id, kNoName, false);
      DisposeHandle(alias);
    } else {
      RemoveSettingsResource(id);
    }
  }
  UseAppResFile();
}

void SaveAllAliasLists() {
  for (AliasList* list : kAllLists) SaveAliasList(list);
}

void LoadAliasList(AliasList* list) {
  UsePrefsResFile();
  for (int32_t i = list->count - 1; i >= 0; --i) {
    Handle saved = Get1Resource(kSettingsResType, int16_t(list->resourceBase + i));
    if (!saved) continue;
    FSSpec fileSpec;
    Boolean changed = false;
    if (ResolveAliasNoUI(saved, &fileSpec, &changed) == noErr) {
      Handle copy;
      if (!changed) DuplicateHandleWithReserve(saved, &copy);
      else copy = Handle();
      AddFileToAliasList(list, &fileSpec, copy);
    }
    ReleaseResource(saved);
  }
  UseAppResFile();
}

namespace {

void RememberInSongFiles(const FSSpec* fileSpec) { AddFileToAliasList(&gSongFileList, fileSpec, Handle()); }

void RememberInImports(const FSSpec* fileSpec) { AddFileToAliasList(&gImportFileList, fileSpec, Handle()); }

}  // namespace

void InstallRecentFileHooks() {
  gRecentFileHooks.rememberSongFile = RememberInSongFiles;
  gRecentFileHooks.rememberImportFile = RememberInImports;
}
