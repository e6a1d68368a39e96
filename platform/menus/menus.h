// Menus: a title and a list of items, each with its text, enable state, mark and command key.
// Menu references are in-memory objects and are never stored in records.
#pragma once

#include "platform/memory/mac_types.h"

struct OpaqueMenuRef;
using MenuRef = OpaqueMenuRef*;
using MenuHandle = MenuRef;
using MenuID = int16_t;
using MenuItemIndex = uint16_t;

MenuRef NewMenu(MenuID menuID, ConstStr255Param title);
void DisposeMenu(MenuRef menu);
MenuID GetMenuID(MenuRef menu);
uint16_t CountMenuItems(MenuRef menu);
// Adds an item at the end with its text taken literally (no metacharacters).
OSStatus AppendMenuItemTextLiteral(MenuRef menu, ConstStr255Param text);
// Inserts an item after item afterItem (0: at the top).
OSStatus InsertMenuItemTextLiteral(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem);
void DeleteMenuItem(MenuRef menu, MenuItemIndex item);
void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 text);
void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text);
void EnableMenuItem(MenuRef menu, MenuItemIndex item);
void DisableMenuItem(MenuRef menu, MenuItemIndex item);
bool IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);
void CheckMenuItem(MenuRef menu, MenuItemIndex item, bool checked);
void SetItemMark(MenuRef menu, MenuItemIndex item, int16_t markChar);
void GetItemMark(MenuRef menu, MenuItemIndex item, int16_t* markChar);
