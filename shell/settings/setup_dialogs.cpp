#include "shell/settings/setup_dialogs.h"

void RunControllerNamesDialog() {}

bool RunAudioSetupDialog() { return false; }
