// Command keys (MenuKey, MenuEvent, IsMenuKeyEvent) and the application-target handler that
// turns menu-bar clicks and command keys into HICommands.
#include <algorithm>

#include "platform/events/key_codes.h"
#include "platform/menus/menus_internal.h"
#include "platform/windows/windows.h"

using namespace menus_internal;

namespace {

constexpr int kMaxSubmenuDepth = 8;

UInt8 Upper(UInt8 c) { return c >= 'a' && c <= 'z' ? UInt8(c - 'a' + 'A') : c; }
bool IsLetter(UInt8 c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

struct KeyPress {
  UInt8 ch = 0;        // the character typed
  UInt8 baseChar = 0;  // the key's character without Option and Control
  UInt32 modifiers = 0;
  bool strict = true;  // modifiers must match the item's (MenuKey is not strict)
};

bool ItemMatches(const MenuItemRecord& item, const KeyPress& key) {
  UInt8 c = item.cmdChar;
  if (c == 0 || c == hMenuCmd || c < 0x20) return false;
  bool sameChar = Upper(c) == Upper(key.ch) || (key.baseChar && Upper(c) == Upper(key.baseChar));
  if (!sameChar) return false;
  bool needsCommand = !(item.modifiers & kMenuNoCommandModifier);
  if (!key.strict)  // the classic form: a plain command key
    return needsCommand && !(item.modifiers & (kMenuShiftModifier | kMenuOptionModifier | kMenuControlModifier));
  if (needsCommand != bool(key.modifiers & cmdKey)) return false;
  if (bool(item.modifiers & kMenuOptionModifier) != bool(key.modifiers & optionKey)) return false;
  if (bool(item.modifiers & kMenuControlModifier) != bool(key.modifiers & controlKey)) return false;
  bool shiftWanted = item.modifiers & kMenuShiftModifier, shiftHeld = key.modifiers & shiftKey;
  // A shifted symbol ('?') names its own shift; letters need the item's shift flag.
  if (shiftWanted != shiftHeld && (IsLetter(c) || shiftWanted)) return false;
  return true;
}

bool SearchMenu(MenuRef menu, const KeyPress& key, int depth, MenuRef* outMenu, MenuItemIndex* outItem) {
  if (!IsLiveMenu(menu) || depth > kMaxSubmenuDepth || !menu->enabled) return false;
  for (MenuItemIndex i = 1; i <= menu->items.size(); ++i) {
    if (IsItemChoosable(menu, i) && ItemMatches(menu->items[i - 1], key)) {
      *outMenu = menu;
      *outItem = i;
      return true;
    }
    MenuRef sub = SubmenuOf(menu, i);
    if (sub && IsItemChoosable(menu, i) && SearchMenu(sub, key, depth + 1, outMenu, outItem)) return true;
  }
  return false;
}

bool FindKey(MenuRef start, const KeyPress& key, MenuRef* outMenu, MenuItemIndex* outItem) {
  if (start) return SearchMenu(start, key, 0, outMenu, outItem);
  for (MenuRef m : BarMenus())
    if (SearchMenu(m, key, 0, outMenu, outItem)) return true;
  return false;
}

SInt32 MatchResult(MenuRef menu, MenuItemIndex item) {
  MenuRef title = BarAncestorOf(menu);
  HiliteMenu(title ? title->id : 0);
  return SInt32((UInt32(UInt16(menu->id)) << 16) | item);
}

KeyPress KeyFromMessage(UInt32 message, UInt32 modifiers) {
  KeyPress key;
  key.ch = UInt8(message & charCodeMask);
  UInt16 code = UInt16((message & keyCodeMask) >> 8);
  key.baseChar = CharCodeForKeyCode(code, modifiers & (shiftKey | alphaLock));
  key.modifiers = modifiers;
  return key;
}

// Menu-bar clicks and command keys that nothing before took.
OSStatus MenuBarHandler(EventHandlerCallRef, EventRef event, void*) {
  if (GetEventClass(event) == kEventClassMouse) {
    Point where;
    if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where) != noErr)
      return eventNotHandledErr;
    if (FindWindow(where, nullptr) != inMenuBar) return eventNotHandledErr;
    SInt32 choice = MenuSelect(where);
    MenuRef menu = LastChosenMenu();
    if (choice && menu) SendMenuItemCommand(menu, MenuItemIndex(choice & 0xFFFF));
    HiliteMenu(0);
    return noErr;
  }
  MenuRef menu = nullptr;
  MenuItemIndex item = 0;
  if (!IsMenuKeyEvent(nullptr, event, 0, &menu, &item)) return eventNotHandledErr;
  SendMenuItemCommand(menu, item);
  HiliteMenu(0);
  return noErr;
}

bool gHandlerInstalled = false;

}  // namespace

namespace menus_internal {

void EnsureMenuEventHandling() {
  if (gHandlerInstalled) return;
  gHandlerInstalled = true;
  static const EventTypeSpec kTypes[] = {
      {kEventClassMouse, kEventMouseDown},
      {kEventClassKeyboard, kEventRawKeyDown},
      {kEventClassKeyboard, kEventRawKeyRepeat},
  };
  InstallApplicationEventHandler(MenuBarHandler, GetEventTypeCount(kTypes), kTypes, nullptr, nullptr);
}

void SendEnableItemsForKeyMatching() {
  std::vector<MenuRef> menus(BarMenus());
  menus.insert(menus.end(), HierMenus().begin(), HierMenus().end());
  for (MenuRef m : menus)
    if (IsLiveMenu(m)) SendMenuEvent(m, kEventMenuEnableItems, kMenuContextKeyMatching);
}

}  // namespace menus_internal

SInt32 MenuKey(CharParameter ch) {
  SendEnableItemsForKeyMatching();
  KeyPress key;
  key.ch = UInt8(ch);
  key.strict = false;
  MenuRef menu = nullptr;
  MenuItemIndex item = 0;
  return FindKey(nullptr, key, &menu, &item) ? MatchResult(menu, item) : 0;
}

UInt32 MenuEvent(const EventRecord* inEvent) {
  if (!inEvent || (inEvent->what != keyDown && inEvent->what != autoKey)) return 0;
  SendEnableItemsForKeyMatching();
  KeyPress key = KeyFromMessage(inEvent->message, inEvent->modifiers);
  MenuRef menu = nullptr;
  MenuItemIndex item = 0;
  return FindKey(nullptr, key, &menu, &item) ? UInt32(MatchResult(menu, item)) : 0;
}

Boolean IsMenuKeyEvent(MenuRef startMenu, EventRef event, UInt32, MenuRef* outMenu, MenuItemIndex* outMenuItem) {
  if (!event || GetEventClass(event) != kEventClassKeyboard ||
      (GetEventKind(event) != kEventRawKeyDown && GetEventKind(event) != kEventRawKeyRepeat))
    return false;
  UInt8 ch = 0;
  UInt32 code = 0, modifiers = 0;
  GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &ch);
  GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof code, nullptr, &code);
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr, &modifiers);
  SendEnableItemsForKeyMatching();
  KeyPress key = KeyFromMessage(UInt32(ch) | ((code & 0xFF) << 8), modifiers);
  MenuRef menu = nullptr;
  MenuItemIndex item = 0;
  if (!FindKey(startMenu, key, &menu, &item)) return false;
  if (outMenu) *outMenu = menu;
  if (outMenuItem) *outMenuItem = item;
  return true;
}

// --- Menu commands ----------------------------------------------------------------------------

namespace {

// Searches each menu once, submenus after their parent item.
bool FindCommand(MenuRef menu, MenuCommand command, UInt32* remaining, std::vector<MenuRef>* visited,
                 MenuRef* outMenu, MenuItemIndex* outItem) {
  if (!IsLiveMenu(menu) || visited->size() > 64 ||
      std::find(visited->begin(), visited->end(), menu) != visited->end())
    return false;
  visited->push_back(menu);
  for (MenuItemIndex i = 1; i <= menu->items.size(); ++i) {
    if (menu->items[i - 1].command == command && --*remaining == 0) {
      *outMenu = menu;
      *outItem = i;
      return true;
    }
    if (MenuRef sub = SubmenuOf(menu, i))
      if (FindCommand(sub, command, remaining, visited, outMenu, outItem)) return true;
  }
  return false;
}

}  // namespace

OSStatus GetIndMenuItemWithCommandID(MenuRef menu, MenuCommand commandID, UInt32 itemIndex, MenuRef* outMenu,
                                     MenuItemIndex* outIndex) {
  if (itemIndex == 0) return paramErr;
  UInt32 remaining = itemIndex;
  MenuRef found = nullptr;
  MenuItemIndex item = 0;
  bool ok = false;
  std::vector<MenuRef> visited;
  if (menu) {
    ok = FindCommand(menu, commandID, &remaining, &visited, &found, &item);
  } else {
    std::vector<MenuRef> menus(BarMenus());
    menus.insert(menus.end(), HierMenus().begin(), HierMenus().end());
    for (MenuRef m : menus)
      if ((ok = FindCommand(m, commandID, &remaining, &visited, &found, &item))) break;
  }
  if (!ok) return menuItemNotFoundErr;
  if (outMenu) *outMenu = found;
  if (outIndex) *outIndex = item;
  return noErr;
}

void EnableMenuCommand(MenuRef menu, MenuCommand commandID) {
  MenuRef found = nullptr;
  MenuItemIndex item = 0;
  if (GetIndMenuItemWithCommandID(menu, commandID, 1, &found, &item) == noErr) EnableMenuItem(found, item);
}

void DisableMenuCommand(MenuRef menu, MenuCommand commandID) {
  MenuRef found = nullptr;
  MenuItemIndex item = 0;
  if (GetIndMenuItemWithCommandID(menu, commandID, 1, &found, &item) == noErr) DisableMenuItem(found, item);
}

Boolean IsMenuCommandEnabled(MenuRef menu, MenuCommand commandID) {
  MenuRef found = nullptr;
  MenuItemIndex item = 0;
  return GetIndMenuItemWithCommandID(menu, commandID, 1, &found, &item) == noErr && IsMenuItemEnabled(found, item);
}

OSStatus SetMenuCommandMark(MenuRef menu, MenuCommand commandID, UniChar mark) {
  MenuRef found = nullptr;
  MenuItemIndex item = 0;
  OSStatus err = GetIndMenuItemWithCommandID(menu, commandID, 1, &found, &item);
  if (err == noErr) SetItemMark(found, item, int16_t(mark));
  return err;
}

OSStatus GetMenuCommandMark(MenuRef menu, MenuCommand commandID, UniChar* outMark) {
  MenuRef found = nullptr;
  MenuItemIndex item = 0;
  OSStatus err = GetIndMenuItemWithCommandID(menu, commandID, 1, &found, &item);
  if (err == noErr && outMark) {
    int16_t mark = 0;
    GetItemMark(found, item, &mark);
    *outMark = UniChar(mark);
  }
  return err;
}
