// Checks on the event lists a reader hands back.
#pragma once

#include "platform/memory/mac_types.h"

// The list's records walk, each of a length that fits, to an end record that closes the list
// exactly; with inTimeOrder, their times never go back. Stops the program otherwise.
void CheckEventListWalks(Handle list, bool inTimeOrder);
