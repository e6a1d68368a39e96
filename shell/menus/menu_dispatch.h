// Menu commands: every menu choice and command key arrives here as (menu id, item).
#pragma once

#include "platform/menus/menus.h"

// Returns 0 when the command was handled, -9874 when nobody handles it.
OSStatus DispatchMenuCommand(int16_t menuId, int16_t item);
OSStatus HandleFileMenu(int16_t item);
// The File menu, after which the event list's scroll range is brought up to date.
OSStatus HandleFileMenuAndScrollers(int16_t item);
// Shows the window of the item and brings it to the front; an item without a window does
// nothing; items without a kind go to the plug-in editor windows (shell/window_menu_items).
OSStatus HandleWindowMenu(int16_t item);

// The number of commands dispatched so far and the last one (menu id << 16 | item).
extern uint32_t gMenuCommandCount;
extern int32_t gLastMenuCommand;
