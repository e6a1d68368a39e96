#include "shell/menus/menu_items.h"

#include <algorithm>
#include <cstring>

#include "platform/resources/resource_manager.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/menus/menu_bar.h"
#include "shell/windows/menu_building.h"
#include "song/model/songs.h"

void DeleteMenuItemsAfter(MenuRef menu, int16_t n) {
  if (n < 0) n = 0;
  uint16_t count = CountMenuItems(menu);
  if (count > uint16_t(n)) DeleteMenuItems(menu, MenuItemIndex(n + 1), count - uint16_t(n));
}

void SetMenuItemsEnabled(const uint8_t* items, int32_t count, MenuRef menu, bool enable) {
  if (!menu || !items) return;
  for (int32_t i = 0; i < count; ++i) EnableMenuItemIf(menu, items[i], enable);
}

void SetMenuItemsEnabledUnlessBusy(const uint8_t* items, int32_t count, MenuRef menu, bool enable) {
  SetMenuItemsEnabled(items, count, menu, enable && !gSectionMode);
}

void EnableMenuItemIf(MenuRef menu, int16_t item, bool flag) {
  if (!menu) return;
  if (flag) EnableMenuItem(menu, MenuItemIndex(item));
  else DisableMenuItem(menu, MenuItemIndex(item));
}

void EnableMenuItemsByMask(MenuRef menu, uint32_t mask, int16_t count) {
  for (int16_t n = 1; n <= count && n <= 32; ++n) EnableMenuItemIf(menu, n, (mask >> (n - 1)) & 1);
}

void SetMenuItemMark(MenuRef menu, int16_t item, int16_t mark) {
  if (menu) SetItemMark(menu, MenuItemIndex(item), mark);
}

MenuRef BuildMenuFromStrList(MenuRef menu, int16_t strListId, uint32_t enableMask) {
  bool made = false;
  if (!menu) {
    static const unsigned char kTitle[] = {1, ' '};
    menu = NewMenu(kTempMenuId, kTitle);
    if (!menu) return nullptr;
    made = true;
  }
  int16_t count = int16_t(CountStrListItems(strListId));
  for (int16_t n = 2; n <= count; ++n) {
    Str255 text;
    GetIndString(text, strListId, n);
    int16_t item = AppendMenuItemLiteral(menu, text);
    if (enableMask && item <= 32) EnableMenuItemIf(menu, item, (enableMask >> item) & 1);
  }
  if (made) InsertMenu(menu, -1);
  return menu;
}

void AppendMenuItemWithSuffix(int16_t* savedLength, MenuRef menu, ConstStr255Param suffix, int16_t item) {
  if (!menu || !savedLength) return;
  Str255 text;
  GetMenuItemText(menu, MenuItemIndex(item), text);
  if (*savedLength <= 0) *savedLength = text[0];
  int32_t length = std::min<int32_t>(*savedLength, text[0]);
  int32_t extra = suffix ? suffix[0] : 0;
  if (length + 1 + extra > 255) extra = 255 - length - 1;
  text[length + 1] = ' ';
  if (extra > 0) std::memcpy(text + length + 2, suffix + 1, size_t(extra));
  text[0] = uint8_t(length + 1 + std::max<int32_t>(extra, 0));
  SetMenuItemText(menu, MenuItemIndex(item), text);
}

int16_t HandleContextualMenuClick(const EventRecord* event, MenuRef menu, int16_t strListId, uint32_t enableMask,
                                  bool forced) {
  if (!forced && !IsShowContextualMenuClick(event)) return -1;
  bool built = false;
  if (!menu) {
    menu = BuildMenuFromStrList(nullptr, strListId, enableMask);
    built = menu != nullptr;
  }
  if (!menu) {
    BuildPopUpFromAllStrings(strListId, 0);
    if (PopUpMenuEx(event->where.v, event->where.h, 0, true) == 0 || gPopUpChoice < 0) return 0;
    return int16_t(gPopUpChoice + 1);
  }
  UInt32 selectionType = 0;
  MenuID chosenMenu = 0;
  MenuItemIndex chosenItem = 0;
  OSStatus err = ContextualMenuSelect(menu, event->where, false, 0, nullptr, nullptr, &selectionType, &chosenMenu,
                                      &chosenItem);
  MenuID expected = built ? MenuID(kTempMenuId) : GetMenuID(menu);  // a menu of the caller's answers too
  int16_t result = (err == noErr && chosenMenu == expected) ? int16_t(chosenItem) : 0;
  if (built) DisposeTempMenu();
  return result;
}
