#include "shell/undo_edit_menu.h"

// Interim: set by whoever builds the Edit menu; null until the menu bar exists.
MenuRef gEditMenu = nullptr;
