#include "shell/menus/settings_dialog_services.h"

void RunControllerNamesDialog() {}

bool RunAudioSetupDialog() { return false; }
