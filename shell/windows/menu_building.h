// Building menus at run time: items whose text is taken literally, and the temporary menu
// (kTempMenuId) that pop-ups and contextual menus are built in.
#pragma once

#include <cstdint>

#include "platform/menus/menus.h"

// Appends an item whose text is taken literally; returns its item number.
int16_t AppendMenuItemLiteral(MenuRef menu, ConstStr255Param text);
// Removes and disposes the temporary menu.
void DisposeTempMenu();
