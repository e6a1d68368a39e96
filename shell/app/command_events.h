// HICommands ('cmds' 1) that reach the program: its own command ids, then the menu
// commands by menu id and item.
#pragma once

#include <cstdint>

#include "platform/events/carbon_events.h"

// A modal alert that waits for its answer through the OK and Cancel commands: the word is
// non-zero while it waits; Cancel stores -1 as the answer.
extern int16_t gCommandAlertPending;
extern int16_t gCommandAlertAnswer;

// noErr when handled; eventNotHandled while a number field is being typed, and for commands
// that are neither the program's own nor a menu item of its menus.
OSStatus HandleCommandEvent(EventRef event);
// Posts a 'cmds' 1 event with the command id (the rest of the HICommand zero) to the main
// queue at standard priority.
OSStatus PostCommandEvent(UInt32 commandId);
