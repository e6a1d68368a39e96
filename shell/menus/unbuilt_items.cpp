#include "shell/menus/unbuilt_items.h"

#include "shell/windows/menu_ids.h"

namespace {

struct UnbuiltItems {
  MenuID menu;
  MenuItemIndex items[12];  // ended by 0
};

// File: Export Standard MIDI File, Export Audio Mix, Bounce. Edit: Extract by Criteria and
// the selection-range dialog. Tools: the editor and instrument commands and the start-up settings. Options: the
// region dialogs, Speech, performance tools, the engine, device sets, controller names, nudge
// and audio set-up. (The items whose state the menu state works out from the song, such as
// the Transform menu's, keep that state.)
constexpr UnbuiltItems kUnbuilt[] = {
    {kFileMenuId, {9, 14, 21}},
    {kEditMenuId, {19, 24}},
    {kToolsMenuId, {3, 4, 6, 7, 8}},
    {kOptionsMenuId, {1, 2, 6, 9, 11, 12, 13, 14, 16}},
};

bool IsSeparatorItem(MenuRef menu, MenuItemIndex item) {
  MenuItemAttributes attributes = 0;
  GetMenuItemAttributes(menu, item, &attributes);
  Str255 text;
  GetMenuItemText(menu, item, text);
  return (attributes & kMenuItemAttrSeparator) || (text[0] > 0 && text[1] == '-');
}

}  // namespace

void DisableUnbuiltMenuItems() {
  for (const UnbuiltItems& entry : kUnbuilt) {
    MenuRef menu = GetMenuHandle(entry.menu);
    if (!menu) continue;
    for (MenuItemIndex item : entry.items)
      if (item != 0) DisableMenuItem(menu, item);
  }
}

void TidyMenuSeparators(MenuRef menu) {
  if (!menu) return;
  MenuItemIndex count = CountMenuItems(menu), lastShown = 0;
  bool previousSeparator = true;  // a separator never starts the menu
  for (MenuItemIndex item = 1; item <= count; ++item) {
    bool separator = IsSeparatorItem(menu, item);
    bool hide = separator && previousSeparator;
    const MenuItemAttributes hidden = kMenuItemAttrHidden, none = 0;
    if (separator) ChangeMenuItemAttributes(menu, item, hide ? hidden : none, hide ? none : hidden);
    MenuItemAttributes attributes = 0;
    GetMenuItemAttributes(menu, item, &attributes);
    if (!hide && !(attributes & kMenuItemAttrHidden)) {
      previousSeparator = separator;
      lastShown = item;
    }
  }
  if (lastShown != 0 && previousSeparator) ChangeMenuItemAttributes(menu, lastShown, kMenuItemAttrHidden, 0);
}
