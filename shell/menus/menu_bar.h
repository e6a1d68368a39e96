// The menu bar from MBAR 128 with the program's submenus, and the menu handles the command
// dispatcher and the menu state work on.
#pragma once

#include "platform/menus/menus.h"
#include "shell/base/undo_edit_menu.h"  // gEditMenu
#include "shell/windows/menu_ids.h"  // the ids of the bar's menus

// File menu items.
enum : int16_t {
  kFileNewItem = 1,
  kFileOpenItem = 2,
  kFileCloseItem = 4,
  kFileSaveItem = 6,
  kFileSaveAsItem = 7,
  kFileSaveCopyItem = 8,
  kFileExportItem = 9,
  kFileRevertItem = 10,
  kFileOpenMediaItem = 16,
  kFileImportMidiItem = 17,
  kFileImportSysExItem = 18,
  kFileImportLyricsItem = 19,
  kFileQuitItem = 23,
};

extern MenuRef gFileMenu, gWindowMenu, gTransformMenu, gViewMenu, gOptionsMenu,
    gToolsMenu;

// Sets the bar, inserts the submenus, fetches the handles. A missing MBAR 128 stops the
// program with code 2, a missing submenu with code 1.
void InstallMenuBar();
// Takes the program's menus out of the menu bar and disposes them (at quit, and before a
// menu bar is installed again).
void DisposeProgramMenus();
