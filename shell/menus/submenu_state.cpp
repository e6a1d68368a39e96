#include "shell/menus/submenu_state.h"

#include "media/audio_file_commands.h"
#include "platform/resources/resource_manager.h"
#include "plugins/plugin_host_commands.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_commands.h"
#include "shell/menus/menu_items.h"
#include "shell/menus/menu_routes.h"
#include "shell/menus/track_menu_commands.h"
#include "shell/menus/track_menu_state.h"
#include "shell/menus/window_menu_items.h"
#include "shell/windows/window_appearance.h"

namespace {

constexpr uint16_t kReWireEnabledBit = 0x4;
constexpr uint16_t kReWireTransportBit = 0x8;
constexpr uint16_t kReWireTempoBit = 0x10;
constexpr int16_t kFirstReWireDeviceItem = 6;
constexpr int16_t kRepeatPluginItem = 1;
constexpr int16_t kBounceFileItem = 21;

int16_t gRepeatItemLength = 0;

void NameRepeatItem(MenuRef menu) {
  if (gLastPluginItem >= kNoPluginCommand || !gLastPluginMenu) return;
  Str255 name;
  GetMenuItemText(gLastPluginMenu, MenuItemIndex(gLastPluginItem), name);
  AppendMenuItemWithSuffix(&gRepeatItemLength, menu, name, kRepeatPluginItem);
}

}  // namespace

void UpdateReWireMenu() {
  MenuRef menu = GetMenuHandle(kReWireMenuId);
  if (!menu) return;
  CheckMenuItem(menu, 1, gReWireState & kReWireEnabledBit);
  CheckMenuItem(menu, 2, gReWireState & kReWireTransportBit);
  CheckMenuItem(menu, 3, gReWireState & kReWireTempoBit);
  EnableMenuItemIf(menu, 2, gReWireState & kReWireEnabledBit);
  EnableMenuItemIf(menu, 4, gReWireAvailable != 0);
  int16_t items = int16_t(CountMenuItems(menu));
  for (int16_t item = kFirstReWireDeviceItem; item <= items; ++item)
    CheckMenuItem(menu, MenuItemIndex(item), item - kFirstReWireDeviceItem == gReWireCurrentDevice);
}

void UpdateProcessingMenus() {
  bool qualifies = ScanTracksForMenuState(true);
  EnableMenuItemIf(GetMenuHandle(kAudioProcessingMenuId), 0, qualifies);
  MenuRef plugins = GetMenuHandle(kPluginProcessingMenuRouteId);
  EnableMenuItemIf(plugins, 0, qualifies);
  if (plugins) NameRepeatItem(plugins);
}

void UpdateSubmenuState() {
  EnableMenuItemIf(gFileMenu, kBounceFileItem, IsAudioFileCommand21Enabled());
  UpdateReWireMenu();
  UpdateTrackMenusState();
  UpdateProcessingMenus();
  UpdatePluginWindowMenu(gWindowMenu, kWindowMenuBaseItems);
  MarkMenuItemsForOpenWindows(GetMenuHandle(kStyleMenuResId), FourCC("MSTL"), &gCurrentStyleId, 1);
}
