// The set-up dialogs: the controller names and favourites (Options item 13) and the audio
// device set-up (Options item 16).
#pragma once

// Interim: the dialog is not built yet; nothing is shown.
void RunControllerNamesDialog();
// True when the timebase has to follow the new settings. Interim: the dialog is not built
// yet; nothing is shown and nothing changes (false).
bool RunAudioSetupDialog();
