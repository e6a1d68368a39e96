#include "shell/menu_bar.h"

#include "platform/memory/memory.h"
#include "shell/fatal_stop.h"

MenuRef gFileMenu = nullptr, gEditMenu = nullptr, gWindowMenu = nullptr,
        gTransformMenu = nullptr, gViewMenu = nullptr, gOptionsMenu = nullptr,
        gToolsMenu = nullptr;

namespace {

constexpr int16_t kSubmenusBeforeStyles[] = {193, 77, 66, 67, 68, 69, 86, 91, 87, 88, 70, 72, 79, 73};
constexpr int16_t kSubmenusAfterStyles[] = {85, 95, 92, 93, 96, 184};
constexpr int16_t kStyleMenuId = 73;
constexpr MenuItemIndex kChoosableParents[] = {2, 16, 12};

void InsertSubmenu(int16_t id) {
  MenuRef menu = GetMenu(id);
  if (!menu) FatalResourceStop(1);
  InsertMenu(menu, -1);
}

}  // namespace

void InstallMenuBar() {
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
}
