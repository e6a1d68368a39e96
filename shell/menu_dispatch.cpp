// Interim: no menu bar exists yet, so no command is handled.
#include "shell/menu_dispatch.h"

OSStatus DispatchMenuCommand(int16_t, int16_t) { return -9874; }
