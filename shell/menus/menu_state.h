// Bringing the menus up to date before they open and after key commands: the File and Edit
// menus' enabled items, the option items, and the Window menu's marks.
#pragma once

#include <cstdint>

#include "platform/menus/menus.h"

// Window-menu marks: hidden none, the front window a check, floating windows a diamond,
// other shown windows a bullet.
constexpr int16_t kFrontWindowMark = 18;
constexpr int16_t kFloatingWindowMark = 196;
constexpr int16_t kShownWindowMark = 165;
constexpr int16_t kWindowTextList = 143;

// Nothing while a modal dialog runs.
void UpdateMenuState();
void UpdateFileMenuState();
void MarkWindowMenuItems();
// Sets the item's text to text `onText` or `offText` of STR# 143 by state.
void SetMenuItemTextFromList(MenuRef menu, int16_t item, int16_t offText, int16_t onText, bool state);

// Fills the window toolkit's hook table (shell/windows/window_menu_hooks.h) with the menu
// state updates.
void InstallWindowMenuHooks();
