// The Window menu: its items and the windows they show, the marks that say which windows
// are shown, the loop window's item, and check marks for items that name resources in use.
#pragma once

#include <cstdint>

#include "platform/menus/menus.h"
#include "platform/windows/windows.h"

constexpr int16_t kWindowMenuBaseItems = 18;
constexpr int16_t kLoopWindowItem = 14;
constexpr int16_t kLoopNumberField = 5;
constexpr uint16_t kViewMarkBit = 0x100;

// The number the loop window shows in its field 5 (the window's maker keeps it there).
extern int32_t gLoopWindowNumber;

// The window kind an item of the Window menu shows (0: none, e.g. a separator or a plug-in
// editor window's item).
int16_t GetWindowMenuItemKind(int16_t item);
// The mark of a window's item: none for a hidden window, a check for the front document
// window, a diamond for a floating window, a bullet for other shown windows.
int16_t GetWindowMenuMark(WindowRef window, WindowRef frontDocument);
bool IsFloatingWindow(WindowRef window);

// Item by item: each item's mark from whether its window exists and is shown, so that the
// item of a window that went away loses its mark; plug-in editor windows' items too.
void CheckWindowsMenuItems();
// Checks the items of menu whose text is the name of one of the listed resources, and
// unchecks the others.
void MarkMenuItemsForOpenWindows(MenuRef menu, ResType type, const int16_t* ids, int32_t count);

// Item 14: enables the item and shows the loop window's number, then the window.
void ShowLoopWindowItem();
// The engine's companion command: hides the loop window and disables item 14.
void HideLoopWindowItem();
// The view word's bit 0x100 (view menu item 13) toggled, with its check mark.
void ToggleViewMarkOption();
