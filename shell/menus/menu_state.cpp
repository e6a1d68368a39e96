#include "shell/menus/menu_state.h"

#include "platform/resources/resource_manager.h"
#include "platform/windows/windows.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/menus/alias_lists.h"
#include "shell/menus/edit_menu_state.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_items.h"
#include "shell/menus/option_toggles.h"
#include "shell/menus/submenu_state.h"
#include "shell/menus/unbuilt_items.h"
#include "shell/menus/window_menu_items.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_menu_hooks.h"
#include "song/documents/document_file.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

namespace {

constexpr int16_t kOptionsAlwaysItem = 18;
constexpr int16_t kToolsSongOpenItem = 10;
constexpr int16_t kViewMarkItem = 13;
// The save, copy and import items: enabled unless section mode is on.
constexpr uint8_t kFileItemsUnlessBusy[] = {kFileSaveItem, kFileSaveAsItem, kFileSaveCopyItem, 13, 14,
                                            kFileImportMidiItem};

bool CurrentTrackHasEvents() {
  return gCurrentSong && gCurrentTrack && bool(TrackEntryView(gCurrentTrack).EventList());
}

}  // namespace

void UpdateFileMenuState() {
  RebuildRecentFileMenus();
  if (!gFileMenu) return;
  EnableMenuItemIf(gFileMenu, kFileCloseItem, GetFrontDocWindow() != nullptr);
  SetMenuItemsEnabledUnlessBusy(kFileItemsUnlessBusy, int32_t(sizeof kFileItemsUnlessBusy), gFileMenu, true);
  // No exporter of the song is built: the item stays off rather than doing nothing.
  EnableMenuItemIf(gFileMenu, kFileExportItem, false);
  EnableMenuItemIf(gFileMenu, kFileRevertItem, IsDocumentNamed() && gSongModified);
  EnableMenuItemIf(gFileMenu, kFileImportLyricsItem, CurrentTrackHasEvents());
}

void MarkWindowMenuItems() {
  // The check goes to the front document window; floating windows have their own mark.
  WindowRef front = GetFrontDocWindow();
  if (gWindowMenu) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
      int16_t item = GetWindowMenuItem(w);
      if (item != 0) SetMenuItemMark(gWindowMenu, item, GetWindowMenuMark(w, front));
    }
  }
  if (gFileMenu) EnableMenuItemIf(gFileMenu, kFileCloseItem, FrontWindow() != nullptr);
  if (gViewMenu) CheckMenuItem(gViewMenu, kViewMarkItem, gViewOptionWord & kViewMarkBit);
}

void UpdateMenuState() {
  if (gDialogBusy) return;
  EnableMenuItemIf(gOptionsMenu, kOptionsAlwaysItem, true);
  EnableMenuItemIf(gToolsMenu, kToolsSongOpenItem, !gSectionMode);
  UpdateFileMenuState();
  ApplyEditMenuMask(ComputeEditMenuMask(GatherEditMenuInputs()));
  UpdateSubmenuState();
  MarkWindowMenuItems();
  CheckWindowsMenuItems();
  DisableUnbuiltMenuItems();
  for (MenuRef menu : {gFileMenu, gEditMenu, gTransformMenu, gViewMenu, gToolsMenu, gOptionsMenu}) TidyMenuSeparators(menu);
}

void SetMenuItemTextFromList(MenuRef menu, int16_t item, int16_t offText, int16_t onText, bool state) {
  if (!menu) return;
  Str255 text;
  GetIndString(text, kWindowTextList, state ? onText : offText);
  if (text[0]) SetMenuItemText(menu, MenuItemIndex(item), text);
}

void InstallWindowMenuHooks() {
  gWindowMenuHooks.updateMenuState = UpdateMenuState;
  gWindowMenuHooks.markWindowMenuItems = MarkWindowMenuItems;
}
