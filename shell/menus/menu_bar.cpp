#include "shell/menus/menu_bar.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/fatal_stop.h"
#include "shell/menus/dialog_menu_commands.h"

MenuRef gFileMenu = nullptr, gWindowMenu = nullptr,
        gTransformMenu = nullptr, gViewMenu = nullptr, gOptionsMenu = nullptr,
        gToolsMenu = nullptr;

namespace {

constexpr int16_t kSubmenusBeforeStyles[] = {193, 77, 66, 67, 68, 69, 86, 91, 87, 88, 70, 72, 79, 73};
constexpr int16_t kSubmenusAfterStyles[] = {85, 95, 92, 93, 96, 184, 89};
constexpr int16_t kStyleMenuId = 73;
constexpr MenuItemIndex kChoosableParents[] = {2, 16, 12};

void InsertSubmenu(int16_t id) {
  if (GetMenuHandle(id)) return;  // loaded already (the bar loads its items' submenus)
  MenuRef menu = GetMenu(id);
  if (!menu) FatalResourceStop(1);
  InsertMenu(menu, -1);
  // A menu whose id is taken already is not inserted: it would otherwise be lost.
  if (GetMenuHandle(GetMenuID(menu)) != menu) DisposeMenu(menu);
}

void DisposeMenuWithId(int16_t id) {
  MenuRef menu = GetMenuHandle(id);
  if (!menu) return;
  DeleteMenu(id);
  DisposeMenu(menu);
}

}  // namespace

void DisposeProgramMenus() {
  Handle bar = GetResource(FourCC("MBAR"), kMenuBarResId);
  if (bar && GetHandleSize(bar) >= 2) {
    int32_t count = ReadI16BE(*bar);
    for (int32_t i = 0; i < count && 2 + 2 * i + 2 <= GetHandleSize(bar); ++i)
      DisposeMenuWithId(ReadI16BE(*bar + 2 + 2 * i));
  }
  for (int16_t id : kSubmenusBeforeStyles) DisposeMenuWithId(id);
  for (int16_t id : kSubmenusAfterStyles) DisposeMenuWithId(id);
  ClearMenuBar();
  gFileMenu = gEditMenu = gWindowMenu = gTransformMenu = gViewMenu = gOptionsMenu = gToolsMenu = nullptr;
}

void InstallMenuBar() {
  DisposeProgramMenus();  // a second start in the same process replaces the first bar
  MenuBarHandle bar = GetNewMBar(kMenuBarResId);
  if (!bar) FatalResourceStop(2);
  SetMenuBar(bar);
  for (int16_t id : kSubmenusBeforeStyles) InsertSubmenu(id);
  AppendResMenu(GetMenuHandle(kStyleMenuId), FourCC("MSTL"));
  for (int16_t id : kSubmenusAfterStyles) InsertSubmenu(id);
  DrawMenuBar();
  DisposeMenuBar(bar);
  gFileMenu = GetMenuHandle(kFileMenuId);
  gEditMenu = GetMenuHandle(kEditMenuId);
  gWindowMenu = GetMenuHandle(kWindowMenuId);
  gTransformMenu = GetMenuHandle(kTransformMenuId);
  gViewMenu = GetMenuHandle(kViewMenuId);
  gOptionsMenu = GetMenuHandle(kOptionsMenuId);
  gToolsMenu = GetMenuHandle(kToolsMenuId);
  if (gFileMenu)
    for (MenuItemIndex item : kChoosableParents)
      ChangeMenuItemAttributes(gFileMenu, item, kMenuItemAttrSubmenuParentChoosable, 0);
  SetAppMenuCommands();
}
