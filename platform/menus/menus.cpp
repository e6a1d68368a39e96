// Menus and their items: creation, text, marks, command keys, styles, attributes, command ids
// and submenus, and AppendMenu's metacharacters.
#include "platform/menus/menus.h"

#include <algorithm>
#include <cstring>

#include "platform/menus/menus_internal.h"

using namespace menus_internal;

namespace {

std::vector<MenuRef> gMenus;

bool IsSubmenuMarker(UInt8 c) { return c == hMenuCmd; }

Style StyleForLetter(UInt8 c) {
  switch (c) {
    case 'B': return bold;
    case 'I': return italic;
    case 'U': return underline;
    case 'O': return outline;
    case 'S': return shadow;
  }
  return 0;
}

// One item of AppendMenu's data (between separators).
MenuItemRecord ParseItem(const std::string& source) {
  MenuItemRecord item;
  for (size_t i = 0; i < source.size(); ++i) {
    UInt8 c = UInt8(source[i]);
    bool hasNext = i + 1 < source.size();
    switch (c) {
      case '^':
        if (hasNext) item.icon = SInt16(UInt8(source[++i]) - '0');
        continue;
      case '!':
        if (hasNext) item.mark = UInt8(source[++i]);
        continue;
      case '<':
        if (hasNext) item.style = Style(item.style | StyleForLetter(UInt8(source[++i])));
        continue;
      case '/':
        if (hasNext) item.cmdChar = UInt8(source[++i]);
        continue;
      case '(':
        item.enabled = false;
        continue;
    }
    item.text.push_back(char(c));
  }
  if (!item.text.empty() && item.text[0] == '-') item.enabled = false;
  return item;
}

}  // namespace

namespace menus_internal {

bool IsLiveMenu(MenuRef menu) {
  return menu && std::find(gMenus.begin(), gMenus.end(), menu) != gMenus.end() && menu->magic == kMenuMagic;
}

MenuItemRecord* ItemAt(MenuRef menu, MenuItemIndex item) {
  if (!IsLiveMenu(menu) || item < 1 || item > menu->items.size()) return nullptr;
  return &menu->items[item - 1];
}

bool IsSeparator(const MenuItemRecord& item) {
  return (item.attributes & kMenuItemAttrSeparator) || (!item.text.empty() && item.text[0] == '-');
}

bool IsItemChoosable(MenuRef menu, MenuItemIndex item) {
  MenuItemRecord* record = ItemAt(menu, item);
  return record && menu->enabled && record->enabled && !(record->attributes & kMenuItemAttrDisabled) &&
         !IsSeparator(*record) && !(record->attributes & kMenuItemAttrHidden);
}

MenuRef SubmenuOf(MenuRef menu, MenuItemIndex item) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record) return nullptr;
  if (record->submenu && IsLiveMenu(record->submenu)) return record->submenu;
  if (!IsSubmenuMarker(record->cmdChar)) return nullptr;
  MenuID id = record->mark;
  if (MenuRef inserted = GetMenuHandle(id)) return inserted;
  for (auto it = gMenus.rbegin(); it != gMenus.rend(); ++it)
    if ((*it)->id == id && *it != menu) return *it;
  return nullptr;
}

const std::vector<MenuRef>& AllMenus() { return gMenus; }

std::string FromPString(ConstStr255Param p) {
  return p ? std::string(reinterpret_cast<const char*>(p + 1), p[0]) : std::string();
}

void ToPString(const std::string& s, Str255 out) {
  size_t n = std::min<size_t>(s.size(), 255);
  std::memcpy(out + 1, s.data(), n);
  out[0] = UInt8(n);
}

void InsertItemsFromData(MenuRef menu, ConstStr255Param data, MenuItemIndex afterItem) {
  if (!IsLiveMenu(menu) || !data) return;
  std::string text = FromPString(data);
  size_t at = std::min<size_t>(afterItem, menu->items.size());
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != ';' && text[i] != '\r') continue;
    menu->items.insert(menu->items.begin() + long(at++), ParseItem(text.substr(start, i - start)));
    start = i + 1;
  }
}

}  // namespace menus_internal

// --- Menus ------------------------------------------------------------------------------------

MenuRef NewMenu(MenuID menuID, ConstStr255Param title) {
  MenuRef menu = new OpaqueMenuRef;
  menu->id = menuID;
  menu->title = FromPString(title);
  menu->target = NewEventTarget(GetApplicationEventTarget(), kEventTargetKindMenu, menu);
  gMenus.push_back(menu);
  EnsureMenuEventHandling();
  return menu;
}

OSStatus CreateNewMenu(MenuID menuID, MenuAttributes attributes, MenuRef* outMenu) {
  if (!outMenu) return paramErr;
  *outMenu = NewMenu(menuID, nullptr);
  (*outMenu)->attributes = attributes;
  return noErr;
}

void DisposeMenu(MenuRef menu) {
  if (!IsLiveMenu(menu)) return;
  ForgetMenuInLists(menu);
  for (MenuRef other : gMenus)
    for (MenuItemRecord& item : other->items)
      if (item.submenu == menu) item.submenu = nullptr;
  gMenus.erase(std::find(gMenus.begin(), gMenus.end(), menu));
  DisposeEventTarget(menu->target);
  menu->magic = 0;
  delete menu;
}

MenuID GetMenuID(MenuRef menu) { return IsLiveMenu(menu) ? menu->id : 0; }
void SetMenuID(MenuRef menu, MenuID menuID) {
  if (IsLiveMenu(menu)) menu->id = menuID;
}
Boolean IsValidMenu(MenuRef menu) { return IsLiveMenu(menu); }

void GetMenuTitle(MenuRef menu, Str255 title) {
  if (!title) return;
  title[0] = 0;
  if (IsLiveMenu(menu)) ToPString(menu->title, title);
}

OSStatus SetMenuTitle(MenuRef menu, ConstStr255Param title) {
  if (!IsLiveMenu(menu)) return menuInvalidErr;
  menu->title = FromPString(title);
  return noErr;
}

OSStatus SetMenuTitleWithCFString(MenuRef menu, CFStringRef title) {
  Str255 text;
  if (!title || !CFStringGetPascalString(title, text, sizeof text, kCFStringEncodingMacRoman)) return paramErr;
  return SetMenuTitle(menu, text);
}

OSStatus SetMenuFont(MenuRef menu, SInt16 inFontID, UInt16 inFontSize) {
  if (!IsLiveMenu(menu)) return menuInvalidErr;
  menu->fontID = inFontID;
  menu->fontSize = inFontSize;
  return noErr;
}

OSStatus GetMenuFont(MenuRef menu, SInt16* outFontID, UInt16* outFontSize) {
  if (!IsLiveMenu(menu)) return menuInvalidErr;
  if (outFontID) *outFontID = menu->fontID;
  if (outFontSize) *outFontSize = menu->fontSize;
  return noErr;
}

EventTargetRef GetMenuEventTarget(MenuRef menu) { return IsLiveMenu(menu) ? menu->target : nullptr; }

uint16_t CountMenuItems(MenuRef menu) { return IsLiveMenu(menu) ? uint16_t(menu->items.size()) : 0; }

// --- Adding and removing items ----------------------------------------------------------------

void AppendMenu(MenuRef menu, ConstStr255Param data) {
  InsertItemsFromData(menu, data, CountMenuItems(menu));
}

void InsertMenuItem(MenuRef menu, ConstStr255Param itemString, MenuItemIndex afterItem) {
  InsertItemsFromData(menu, itemString, afterItem);
}

OSStatus AppendMenuItemTextLiteral(MenuRef menu, ConstStr255Param text) {
  return InsertMenuItemTextLiteral(menu, text, CountMenuItems(menu));
}

OSStatus AppendMenuItemText(MenuRef menu, ConstStr255Param text) {
  return AppendMenuItemTextLiteral(menu, text);
}

OSStatus InsertMenuItemTextLiteral(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem) {
  if (!IsLiveMenu(menu)) return paramErr;
  if (afterItem > menu->items.size()) afterItem = MenuItemIndex(menu->items.size());
  MenuItemRecord record;
  record.text = FromPString(text);
  menu->items.insert(menu->items.begin() + afterItem, record);
  return noErr;
}

OSStatus InsertMenuItemText(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem) {
  return InsertMenuItemTextLiteral(menu, text, afterItem);
}

OSStatus AppendMenuItemTextWithCFString(MenuRef menu, CFStringRef text, MenuItemAttributes attributes,
                                        MenuCommand commandID, MenuItemIndex* outNewItem) {
  if (!IsLiveMenu(menu)) return menuInvalidErr;
  Str255 p;
  p[0] = 0;
  if (text && !CFStringGetPascalString(text, p, sizeof p, kCFStringEncodingMacRoman)) return paramErr;
  AppendMenuItemTextLiteral(menu, p);
  MenuItemRecord& item = menu->items.back();
  item.attributes = attributes;
  item.command = commandID;
  if (attributes & kMenuItemAttrDisabled) item.enabled = false;
  if (outNewItem) *outNewItem = MenuItemIndex(menu->items.size());
  return noErr;
}

void DeleteMenuItem(MenuRef menu, MenuItemIndex item) {
  if (ItemAt(menu, item)) menu->items.erase(menu->items.begin() + (item - 1));
}

OSStatus DeleteMenuItems(MenuRef menu, MenuItemIndex firstItem, ItemCount numItems) {
  if (!IsLiveMenu(menu)) return menuInvalidErr;
  if (!ItemAt(menu, firstItem)) return menuItemNotFoundErr;
  size_t end = std::min<size_t>(menu->items.size(), size_t(firstItem - 1) + numItems);
  menu->items.erase(menu->items.begin() + (firstItem - 1), menu->items.begin() + long(end));
  return noErr;
}

// --- Item properties --------------------------------------------------------------------------

void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 text) {
  text[0] = 0;
  if (MenuItemRecord* record = ItemAt(menu, item)) ToPString(record->text, text);
}

void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->text = FromPString(text);
}

OSStatus SetMenuItemTextWithCFString(MenuRef menu, MenuItemIndex item, CFStringRef text) {
  if (!ItemAt(menu, item)) return menuItemNotFoundErr;
  Str255 p;
  if (!text || !CFStringGetPascalString(text, p, sizeof p, kCFStringEncodingMacRoman)) return paramErr;
  SetMenuItemText(menu, item, p);
  return noErr;
}

OSStatus CopyMenuItemTextAsCFString(MenuRef menu, MenuItemIndex item, CFStringRef* outString) {
  if (!ItemAt(menu, item) || !outString) return menuItemNotFoundErr;
  Str255 p;
  GetMenuItemText(menu, item, p);
  *outString = CFStringCreateWithPascalString(nullptr, p, kCFStringEncodingMacRoman);
  return noErr;
}

void EnableMenuItem(MenuRef menu, MenuItemIndex item) {
  if (item == 0 && IsLiveMenu(menu)) menu->enabled = true;
  else if (MenuItemRecord* record = ItemAt(menu, item)) record->enabled = true;
}

void DisableMenuItem(MenuRef menu, MenuItemIndex item) {
  if (item == 0 && IsLiveMenu(menu)) menu->enabled = false;
  else if (MenuItemRecord* record = ItemAt(menu, item)) record->enabled = false;
}

bool IsMenuItemEnabled(MenuRef menu, MenuItemIndex item) {
  if (item == 0) return IsLiveMenu(menu) && menu->enabled;
  MenuItemRecord* record = ItemAt(menu, item);
  return record && record->enabled;
}

void CheckMenuItem(MenuRef menu, MenuItemIndex item, bool checked) {
  SetItemMark(menu, item, checked ? checkMark : kNoMark);
}

void SetItemMark(MenuRef menu, MenuItemIndex item, int16_t markChar) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->mark = markChar;
}

void GetItemMark(MenuRef menu, MenuItemIndex item, int16_t* markChar) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (markChar) *markChar = record ? record->mark : 0;
}

void SetItemCmd(MenuRef menu, MenuItemIndex item, CharParameter cmdChar) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->cmdChar = UInt8(cmdChar);
}

void GetItemCmd(MenuRef menu, MenuItemIndex item, CharParameter* cmdChar) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (cmdChar) *cmdChar = record ? record->cmdChar : 0;
}

OSStatus SetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8 modifiers) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record) return menuItemNotFoundErr;
  record->modifiers = modifiers;
  return noErr;
}

OSStatus GetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8* modifiers) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record || !modifiers) return menuItemNotFoundErr;
  *modifiers = record->modifiers;
  return noErr;
}

void SetItemStyle(MenuRef menu, MenuItemIndex item, StyleParameter chStyle) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->style = Style(chStyle);
}

void GetItemStyle(MenuRef menu, MenuItemIndex item, Style* chStyle) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (chStyle) *chStyle = record ? record->style : 0;
}

void SetItemIcon(MenuRef menu, MenuItemIndex item, SInt16 iconIndex) {
  if (MenuItemRecord* record = ItemAt(menu, item)) record->icon = iconIndex;
}

void GetItemIcon(MenuRef menu, MenuItemIndex item, SInt16* iconIndex) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (iconIndex) *iconIndex = record ? record->icon : 0;
}

OSStatus SetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand commandID) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record) return menuItemNotFoundErr;
  record->command = commandID;
  return noErr;
}

OSStatus GetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand* outCommandID) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record || !outCommandID) return menuItemNotFoundErr;
  *outCommandID = record->command;
  return noErr;
}

OSStatus SetMenuItemRefCon(MenuRef menu, MenuItemIndex item, URefCon refCon) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record) return menuItemNotFoundErr;
  record->refCon = refCon;
  return noErr;
}

OSStatus GetMenuItemRefCon(MenuRef menu, MenuItemIndex item, URefCon* outRefCon) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record || !outRefCon) return menuItemNotFoundErr;
  *outRefCon = record->refCon;
  return noErr;
}

OSStatus ChangeMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes setThese,
                                  MenuItemAttributes clearThese) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record) return menuItemNotFoundErr;
  record->attributes = (record->attributes | setThese) & ~clearThese;
  return noErr;
}

OSStatus GetMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes* outAttributes) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record || !outAttributes) return menuItemNotFoundErr;
  *outAttributes = record->attributes;
  return noErr;
}

OSStatus SetMenuItemHierarchicalID(MenuRef menu, MenuItemIndex item, MenuID hierID) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record) return menuItemNotFoundErr;
  record->submenu = nullptr;
  record->cmdChar = hierID ? UInt8(hMenuCmd) : 0;
  record->mark = hierID;
  return noErr;
}

OSStatus GetMenuItemHierarchicalID(MenuRef menu, MenuItemIndex item, MenuID* outHierID) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record || !outHierID) return menuItemNotFoundErr;
  *outHierID = record->submenu ? GetMenuID(record->submenu)
                               : (record->cmdChar == hMenuCmd ? MenuID(record->mark) : MenuID(0));
  return noErr;
}

OSStatus SetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef hierMenuRef) {
  MenuItemRecord* record = ItemAt(menu, item);
  if (!record) return menuItemNotFoundErr;
  if (hierMenuRef && !IsLiveMenu(hierMenuRef)) return menuInvalidErr;
  record->submenu = hierMenuRef;
  if (record->cmdChar == hMenuCmd) {
    record->cmdChar = 0;
    record->mark = 0;
  }
  return noErr;
}

OSStatus GetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef* outHierMenu) {
  if (!ItemAt(menu, item) || !outHierMenu) return menuItemNotFoundErr;
  *outHierMenu = SubmenuOf(menu, item);
  return noErr;
}
