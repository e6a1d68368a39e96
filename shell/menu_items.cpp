#include "shell/menu_items.h"

void DeleteMenuItemsAfter(MenuRef menu, int16_t n) {
  if (n < 0) n = 0;
  while (CountMenuItems(menu) > uint16_t(n)) DeleteMenuItem(menu, CountMenuItems(menu));
}

void AppendMenuItemLiteral(MenuRef menu, ConstStr255Param text) { AppendMenuItemTextLiteral(menu, text); }
