#include "shell/menu_dispatch.h"

#include "platform/quickdraw/cursors.h"
#include "shell/alias_lists.h"
#include "shell/app_entry.h"
#include "shell/app_events.h"
#include "shell/app_windows.h"
#include "shell/idle_tasks.h"
#include "shell/menu_bar.h"
#include "shell/startup.h"
#include "song/document_services.h"
#include "song/open_dispatch.h"
#include "song/save_commands.h"

uint32_t gMenuCommandCount = 0;
int32_t gLastMenuCommand = 0;

namespace {

constexpr int16_t kQuitCommand = 4;
constexpr int16_t kNewCommand = 3;

// Window-menu item -> window kind (0: no window).
int16_t KindOfWindowMenuItem(int16_t item) {
  static constexpr int16_t kKinds[] = {0, 3, 22, 23, 0, 2, 5, 4, 7, 8, 6, 11, 0, 9, 25, 20, 10, 13, 14};
  return (item > 0 && item < int16_t(sizeof kKinds / sizeof kKinds[0])) ? kKinds[item] : 0;
}

OSStatus HandleRecentMenu(AliasList* list, int16_t item, int16_t fileCommand) {
  HandleRecentFileMenu(list, item, fileCommand, true);
  return noErr;
}

}  // namespace

OSStatus HandleFileMenu(int16_t item) {
  switch (item) {
    case kFileNewItem:
      if (AskToSaveChanges(kNewCommand) == 0) StartNewSongWorkspace(1);
      return noErr;
    case kFileOpenItem:
      // The file dialog is the seam: until it exists the command opens nothing.
      RunOpenCommand();
      return noErr;
    case kFileCloseItem:
      if (WindowRef front = FrontWindow()) CloseAppWindow(front);
      return noErr;
    case kFileSaveItem: RunSaveCommand(); return noErr;
    case kFileSaveAsItem: RunSaveAsCommand(); return noErr;
    case kFileQuitItem:
      gQuitFlag = 0;
      if (AskToSaveChanges(kQuitCommand) == 0) gQuitFlag = 1;
      return noErr;
    default:
      return -9874;  // interim: export, revert and the audio-file commands are not built yet
  }
}

OSStatus HandleWindowMenu(int16_t item) {
  WindowRef window = GetAppWindowRef(GetWindowForKind(KindOfWindowMenuItem(item)));
  if (!window) return noErr;  // plug-in editor windows: not built yet
  ShowWindow(window);
  SelectWindow(window);
  return noErr;
}

OSStatus DispatchMenuCommand(int16_t menuId, int16_t item) {
  uint8_t idle = TakeIdleFlag();
  ++gMenuCommandCount;
  gLastMenuCommand = int32_t(uint32_t(uint16_t(menuId)) << 16 | uint16_t(item));
  if (menuId >= 28000 && menuId <= 28300) menuId = 10;
  OSStatus result = -9874;
  switch (menuId) {
    case kAppMenuId: result = noErr; break;  // interim: the about window is not built yet
    case kFileMenuId: result = HandleFileMenu(item); break;
    case kWindowMenuId: result = HandleWindowMenu(item); break;
    case kOptionsMenuId: result = -9874; break;  // interim: the settings dialogs
    case 92: result = HandleRecentMenu(&gSongFileList, item, kFileOpenItem); break;
    case 93: result = HandleRecentMenu(&gMediaFileList, item, 12); break;
    case 96: result = HandleRecentMenu(&gImportFileList, item, 16); break;
    default: result = -9874; break;  // not built yet, or nobody's
  }
  InitCursor();
  SetIdleFlag(idle);
  return result;
}
