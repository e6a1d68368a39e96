// The plug-in's contextual menu (7502) and its colours (7503).
#include "mixer/menus/mixer_menus.h"

#include "platform/resources/resource_manager.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/resource_files.h"
#include "shell/windows/menu_building.h"

namespace {

constexpr uint8_t kEntryDisplayOption = 0x80;  // the entry offers the display option (item 5)
constexpr int16_t kPluginItemEditor = 8;

void CheckColour(MenuRef colours, uint8_t colour) {
  for (MenuItemIndex item = 1, n = CountMenuItems(colours); item <= n; ++item)
    CheckMenuItem(colours, item, item == colour);
}

void DisposeMenus(MenuRef menu, MenuRef colours) {
  DeleteMenu(kPluginColourMenuId);
  DeleteMenu(kPluginContextMenuId);
  if (colours) DisposeMenu(colours);
  if (menu) DisposeMenu(menu);
  UseAppResFile();
}

}  // namespace

MenuRef BuildPluginContextMenu(PluginInstance* plugin, bool expanded, MenuRef* colours) {
  *colours = nullptr;
  MenuRef menu = GetMenu(kPluginContextMenuId);
  if (!menu || !plugin) return menu;
  const PluginInfo* info = PluginInfoAt(int32_t(plugin->tableIndex));
  bool offersOption = info && (info->entryFlags & kEntryDisplayOption);
  CheckMenuItem(menu, kPluginCommandDisplayOption, (plugin->mixerFlags & kPluginFlagDisplayOption) != 0);
  if (!offersOption) DisableMenuItem(menu, kPluginCommandDisplayOption);
  if (!expanded) {
    DisableMenuItem(menu, kPluginCommandOptions);
    DisableMenuItem(menu, kPluginItemColours);
  }
  if (!PluginHasEditor(plugin)) DisableMenuItem(menu, kPluginItemEditor);
  *colours = GetMenu(kPluginColourMenuId);
  if (*colours) {
    CheckColour(*colours, plugin->colourIndex);
    SetMenuItemHierarchicalMenu(menu, kPluginItemColours, *colours);
  }
  return menu;
}

int16_t HandlePluginContextChoice(PluginInstance* plugin, int16_t menuId, int16_t item) {
  if (!plugin || item < 1) return 0;
  if (menuId == kPluginContextMenuId) return item == kPluginItemColours ? 0 : item;
  if (menuId != kPluginColourMenuId || item > 255) return 0;
  plugin->colourIndex = uint8_t(item);
  RequestPluginWindowRefresh(kRefreshMixer);
  SetCategoryColour(plugin, uint8_t(item));
  return 0;
}

int16_t RunPluginContextMenu(PluginInstance* plugin, bool expanded, Point where) {
  MenuRef colours = nullptr;
  MenuRef menu = BuildPluginContextMenu(plugin, expanded, &colours);
  if (!menu) return 0;
  InsertMenu(menu, hierMenu);
  if (colours) InsertMenu(colours, hierMenu);
  UInt32 selection = 0;
  MenuID chosenMenu = 0;
  MenuItemIndex chosenItem = 0;
  int16_t command = 0;
  if (ContextualMenuSelect(menu, where, false, 0, nullptr, nullptr, &selection, &chosenMenu, &chosenItem) == noErr &&
      selection == kCMMenuItemSelected)
    command = HandlePluginContextChoice(plugin, chosenMenu, int16_t(chosenItem));
  DisposeMenus(menu, colours);
  return command;
}
