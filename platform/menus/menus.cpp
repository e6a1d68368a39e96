#include "platform/menus/menus.h"

#include <cstring>
#include <string>
#include <vector>

struct MenuItemRecord {
  std::string text;  // Mac Roman bytes
  bool enabled = true;
  int16_t mark = 0;
};

struct OpaqueMenuRef {
  MenuID id = 0;
  std::string title;
  std::vector<MenuItemRecord> items;
};

namespace {
std::string FromPString(ConstStr255Param p) {
  return p ? std::string(reinterpret_cast<const char*>(p + 1), p[0]) : std::string();
}
MenuItemRecord* ItemAt(MenuRef menu, MenuItemIndex item) {
  if (!menu || item < 1 || item > menu->items.size()) return nullptr;
  return &menu->items[item - 1];
}
}  // namespace

MenuRef NewMenu(MenuID menuID, ConstStr255Param title) {
  MenuRef menu = new OpaqueMenuRef;
  menu->id = menuID;
  menu->title = FromPString(title);
  return menu;
}

void DisposeMenu(MenuRef menu) { delete menu; }
MenuID GetMenuID(MenuRef menu) { return menu ? menu->id : 0; }
uint16_t CountMenuItems(MenuRef menu) { return menu ? uint16_t(menu->items.size()) : 0; }

OSStatus AppendMenuItemTextLiteral(MenuRef menu, ConstStr255Param text) {
  return InsertMenuItemTextLiteral(menu, text, CountMenuItems(menu));
}

OSStatus InsertMenuItemTextLiteral(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem) {
  if (!menu) return paramErr;
  if (afterItem > menu->items.size()) afterItem = MenuItemIndex(menu->items.size());
  MenuItemRecord record;
  record.text = FromPString(text);
  menu->items.insert(menu->items.begin() + afterItem, record);
  return noErr;
}

void DeleteMenuItem(MenuRef menu, MenuItemIndex item) {
  if (ItemAt(menu, item)) menu->items.erase(menu->items.begin() + (item - 1));
}

void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 text) {
  text[0] = 0;
  if (MenuItemRecord* record = ItemAt(menu, item)) {
    size_t n = record->text.size() > 255 ? 255 : record->text.size();
    std::memcpy(text + 1, record->text.data(), n);
    text[0] = static_cast<unsigned char>(n);
  }
}

void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->text = FromPString(text);
}

void EnableMenuItem(MenuRef menu, MenuItemIndex item) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->enabled = true;
}
void DisableMenuItem(MenuRef menu, MenuItemIndex item) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->enabled = false;
}
bool IsMenuItemEnabled(MenuRef menu, MenuItemIndex item) {
  MenuItemRecord* record = ItemAt(menu, item);
  return record && record->enabled;
}
void CheckMenuItem(MenuRef menu, MenuItemIndex item, bool checked) {
  SetItemMark(menu, item, checked ? 0x12 : 0);
}
void SetItemMark(MenuRef menu, MenuItemIndex item, int16_t markChar) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->mark = markChar;
}
void GetItemMark(MenuRef menu, MenuItemIndex item, int16_t* markChar) {
  MenuItemRecord* record = ItemAt(menu, item);
  *markChar = record ? record->mark : 0;
}
