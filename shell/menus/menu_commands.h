// The handlers of the smaller menus that the command dispatcher reaches: the Options menu,
// the window appearance styles and the menu ids of plug-in menus.
#pragma once

#include <cstdint>

#include "platform/menus/menus.h"

constexpr int16_t kFirstPluginMenuId = 28000;
constexpr int16_t kLastPluginMenuId = 28300;
constexpr int16_t kPluginMenuGroupId = 10;
constexpr int16_t kPluginProcessingMenuId = 95;
constexpr int16_t kStyleMenuResId = 73;

// Asks the plug-in hosting whether a menu id is one of its processing menus; null: none.
using PluginMenuQuery = MenuRef (*)(int16_t menuId);
void SetPluginMenuQuery(PluginMenuQuery query);
// The id the dispatcher works with: plug-in menus become 10, or 95 when the plug-in code
// claims them; the claimed menu is kept in gMappedPluginMenu (null otherwise).
int16_t MapDispatchMenuId(int16_t menuId);
extern MenuRef gMappedPluginMenu;

OSStatus HandleStyleMenu(int16_t item);
// The tools menu (440): item 20 puts every window back at its default frame.
OSStatus HandleToolsMenu(int16_t item);
// Kinds 2..16: each window that has a 'WIND' resource goes back to its frame there, sized
// within its limits.
void ResetWindowPositions();
