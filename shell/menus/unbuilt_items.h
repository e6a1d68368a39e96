// Menu items that stand for what is not built yet. Interim: the commands listed do nothing
// until their subsystems are built (the audio files, editor and instrument commands, most
// settings dialogs), so their items stay disabled instead of being chosen in silence; and
// the rows that only keep the places of display options not built yet (separators one after
// another) show as one separator.
#pragma once

#include "platform/menus/menus.h"

// Disables every item of the table whose menu is in the menu bar.
void DisableUnbuiltMenuItems();
// Hides a separator that follows another visible separator or starts or ends the menu, and
// shows the other separators again (other items keep their state).
void TidyMenuSeparators(MenuRef menu);
