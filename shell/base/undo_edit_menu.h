// The Edit menu's reference (set when the menu bar is made, shell/menus/menu_bar.cpp; null
// until then) and the two items the undo ring writes its texts into.
#pragma once

#include "platform/menus/menus.h"

extern MenuRef gEditMenu;

constexpr MenuItemIndex kEditUndoItem = 1;
constexpr MenuItemIndex kEditRedoItem = 2;
