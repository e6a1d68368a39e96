#include "shell/menus/menu_dispatch.h"

#include "mixer/outputs/midi_reset_menu.h"
#include "platform/quickdraw/cursors.h"
#include "shell/app/app_entry.h"
#include "shell/app/app_events.h"
#include "shell/app/locator_memories.h"
#include "shell/app/song_switch.h"
#include "shell/app/startup.h"
#include "shell/base/idle_flag.h"
#include "shell/menus/alias_lists.h"
#include "shell/menus/dialog_menu_commands.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_commands.h"
#include "shell/menus/menu_routes.h"
#include "shell/menus/option_toggles.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/context_help.h"
#include "shell/windows/window_sizing.h"
#include "song/documents/document_hooks.h"
#include "song/documents/import_commands.h"
#include "song/documents/open_dispatch.h"
#include "song/documents/save_commands.h"

uint32_t gMenuCommandCount = 0;
int32_t gLastMenuCommand = 0;

namespace {

OSStatus HandleRecentMenu(AliasList* list, int16_t item, int16_t fileCommand) {
  HandleRecentFileMenu(list, item, fileCommand, true);
  return noErr;
}

OSStatus DispatchByMenuId(int16_t menuId, int16_t item) {
  switch (menuId) {
    case kAppMenuId: return HandleAppMenu(item);
    case kFileMenuId: return HandleFileMenuAndScrollers(item);
    case kTransformMenuId: return HandleTransformMenuItem(item);
    case kViewMenuId: HandleViewOptionsMenu(item); return noErr;
    case kWindowMenuId: return HandleWindowMenu(item);
    case kHelpMenuId:
    case kSystemHelpMenuId: return HandleHelpMenu(item, 0, &gHelpPrefs);
    case kStoreMemoryMenuId: StoreOrRecallLocatorMemory(int16_t(item - 1), true); return noErr;
    case kRecallMemoryMenuId: StoreOrRecallLocatorMemory(int16_t(item - 1), false); return noErr;
    case kToolsMenuId: return HandleToolsMenuItem(item);
    case kOptionsMenuId: return HandleOptionsMenuItem(item);
    case 70:
    case 72:
    case 79: HandleEditorDisplayMenu(menuId, item); return noErr;
    case kStyleMenuResId: return HandleStyleMenu(item);
    case kRecentSongsMenuId: return HandleRecentMenu(&gSongFileList, item, kFileOpenItem);
    case 93: return HandleRecentMenu(&gMediaFileList, item, 12);
    case kMidiResetMenuId: HandleMidiResetMenu(item); return noErr;
    case kRecentImportsMenuId: return HandleRecentMenu(&gImportFileList, item, 16);
    default: return DispatchSubmenuCommand(menuId, item);
  }
}

}  // namespace

OSStatus HandleFileMenuAndScrollers(int16_t item) {
  OSStatus result = HandleFileMenu(item);
  UpdateWindowScrollers(GetWindowForKind(kEventListKind));
  return result;
}

OSStatus HandleFileMenu(int16_t item) {
  switch (item) {
    case kFileNewItem:
      if (AskToSaveChanges(kNewCommand) == 0) StartNewSongWorkspace(1);
      return noErr;
    case kFileOpenItem:
      // The open dialog, then the open dispatch; a cancel opens nothing.
      RunOpenCommand();
      return noErr;
    case kFileCloseItem:
      if (WindowRef front = FrontWindow()) CloseAppWindow(front);
      return noErr;
    case kFileSaveItem: RunSaveCommand(); return noErr;
    case kFileSaveAsItem: RunSaveAsCommand(); return noErr;
    case kFileSaveCopyItem: RunSaveCopyCommand(); return noErr;
    case kFileRevertItem:
      if (RunRevertCommand() == noErr) RefreshAfterSongSwitch(0);
      return noErr;
    case kFileOpenMediaItem:
      RunOpenAnyFileCommand();
      RefreshAfterSongSwitch(0);
      return noErr;
    case kFileImportMidiItem: RunImportMidiFileCommand(); return noErr;
    case kFileImportSysExItem: RunImportSysExDumpCommand(); return noErr;
    case kFileImportLyricsItem: RunImportLyricsCommand(); return noErr;
    case kFileQuitItem:
      gQuitFlag = 0;
      if (AskToSaveChanges(kQuitCommand) == 0) gQuitFlag = 1;
      return noErr;
    default:
      return HandleFileMenuMoreItems(item);
  }
}

OSStatus DispatchMenuCommand(int16_t menuId, int16_t item) {
  uint8_t idle = TakeIdleFlag();
  ++gMenuCommandCount;
  gLastMenuCommand = int32_t(uint32_t(uint16_t(menuId)) << 16 | uint16_t(item));
  OSStatus result = DispatchByMenuId(MapDispatchMenuId(menuId), item);
  InitCursor();
  SetIdleFlag(idle);
  return result;
}
