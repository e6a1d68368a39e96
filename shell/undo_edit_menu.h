// Interim: the Edit menu's reference, until the menu bar is built (null until then; the undo
// ring writes its first two items through it).
#pragma once

#include "platform/menus/menus.h"

extern MenuRef gEditMenu;

constexpr MenuItemIndex kEditUndoItem = 1;
constexpr MenuItemIndex kEditRedoItem = 2;
