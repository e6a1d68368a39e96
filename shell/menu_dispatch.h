// Menu commands: every menu choice and command key arrives here as (menu id, item).
#pragma once

#include "platform/menus/menus.h"

// Returns 0 when the command was handled, -9874 when nobody handles it.
OSStatus DispatchMenuCommand(int16_t menuId, int16_t item);
