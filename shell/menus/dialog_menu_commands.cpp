#include "shell/menus/dialog_menu_commands.h"

#include "platform/menus/menus.h"
#include "shell/menus/menu_bar.h"
#include "shell/settings/about_window.h"
#include "shell/settings/chase_dialog.h"
#include "shell/settings/meter_tempo_dialogs.h"
#include "shell/settings/preferences_dialog.h"

void SetAppMenuCommands() {
  MenuRef menu = GetMenuHandle(kAppMenuId);
  if (!menu) return;
  SetMenuItemCommandID(menu, kAppAboutItem, kHICommandAbout);
  if (CountMenuItems(menu) >= kAppPreferencesItem)
    SetMenuItemCommandID(menu, kAppPreferencesItem, kHICommandPreferences);
}

OSStatus HandleAppMenu(int16_t item) {
  MenuCommand command = 0;
  if (MenuRef menu = GetMenuHandle(kAppMenuId)) GetMenuItemCommandID(menu, MenuItemIndex(item), &command);
  if (item == kAppAboutItem) RunSplashWindowLoop();
  else if (command == kHICommandPreferences) RunPreferencesDialog();
  return noErr;
}

OSStatus HandleOptionsMenu(int16_t item) {
  if (item != kOptionsChaseItem) return kMenuItemNotHandled;
  RunChaseDialog();
  return noErr;
}

OSStatus HandleTransformMenu(int16_t item) {
  switch (item) {
    case kTransformTempoItem: RunTempoDialog(); return noErr;
    case kTransformSignatureItem: RunTimeSignatureDialog(); return noErr;
    default: return kMenuItemNotHandled;
  }
}
