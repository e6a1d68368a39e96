#include "shell/menu_items.h"

void DeleteMenuItemsAfter(MenuRef menu, int16_t n) {
  if (n < 0) n = 0;
  uint16_t count = CountMenuItems(menu);
  if (count > uint16_t(n)) DeleteMenuItems(menu, MenuItemIndex(n + 1), count - uint16_t(n));
}

void AppendMenuItemLiteral(MenuRef menu, ConstStr255Param text) { AppendMenuItemTextLiteral(menu, text); }
