#include "shell/base/undo_edit_menu.h"

MenuRef gEditMenu = nullptr;
