// Small menu helpers the program's menus are built with: enabling by lists and masks, marks,
// menus made from string lists and contextual menus (literal items and the temporary menu:
// shell/windows/menu_building.h).
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/menus/menus.h"

// Deletes every item after item n.
void DeleteMenuItemsAfter(MenuRef menu, int16_t n);

// Enables or disables each item number of the list.
void SetMenuItemsEnabled(const uint8_t* items, int32_t count, MenuRef menu, bool enable);
// The list form, always disabling while section mode is on.
void SetMenuItemsEnabledUnlessBusy(const uint8_t* items, int32_t count, MenuRef menu, bool enable);
void EnableMenuItemIf(MenuRef menu, int16_t item, bool flag);
// Item n (1..count) enabled when bit n-1 of mask is set.
void EnableMenuItemsByMask(MenuRef menu, uint32_t mask, int16_t count);
void SetMenuItemMark(MenuRef menu, int16_t item, int16_t mark);

// Appends strings 2..n of 'STR#' strListId to menu, or to a new temporary menu kTempMenuId
// (inserted as a submenu) when menu is null. A non-zero mask enables item n only when its bit n is set.
MenuRef BuildMenuFromStrList(MenuRef menu, int16_t strListId, uint32_t enableMask);
// The item's text as first seen (its length kept in *savedLength), a blank and the suffix.
void AppendMenuItemWithSuffix(int16_t* savedLength, MenuRef menu, ConstStr255Param suffix, int16_t item);

// A contextual menu for a click (unless forced, only a contextual click counts; otherwise
// -1): menu, or one built from 'STR#' strListId. The chosen item of that menu, 0 when none
// or another menu was chosen. Without a menu the list is shown as the program's
// pop-up, answering its choice + 1 or 0.
int16_t HandleContextualMenuClick(const EventRecord* event, MenuRef menu, int16_t strListId, uint32_t enableMask,
                                  bool forced);
