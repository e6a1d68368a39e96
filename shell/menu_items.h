// Small menu helpers the program's menus are built with.
#pragma once

#include "platform/menus/menus.h"

// Deletes every item after item n.
void DeleteMenuItemsAfter(MenuRef menu, int16_t n);
// Appends an item whose text is taken literally.
void AppendMenuItemLiteral(MenuRef menu, ConstStr255Param text);
