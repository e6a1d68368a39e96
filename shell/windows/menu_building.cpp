#include "shell/windows/menu_building.h"

#include "platform/resources/resource_manager.h"
#include "shell/base/resource_files.h"
#include "shell/windows/menu_ids.h"

int16_t AppendMenuItemLiteral(MenuRef menu, ConstStr255Param text) {
  int16_t item = int16_t(CountMenuItems(menu) + 1);
  AppendMenuItemTextLiteral(menu, text);
  return item;
}

void DisposeTempMenu() {
  UseResFile(gAppResFile);
  MenuRef menu = GetMenuHandle(kTempMenuId);
  if (!menu) return;
  DeleteMenu(kTempMenuId);
  DisposeMenu(menu);
}
