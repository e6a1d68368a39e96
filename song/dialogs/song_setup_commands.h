// The song set-up commands: the instrument commands, the start-up settings, the timebase
// options and the device sets.
#pragma once

#include <cstdint>

// The new-instrument dialog for a device kind. Interim: the instrument dialogs are not
// built yet; nothing is shown.
void RunNewInstrumentDialog(int16_t deviceKind, int32_t flags);
// Tools item 7. Interim: nothing is done.
void RunInstrumentMenuCommand();
// Tools item 8 (mode 0) and item 10 (mode 1, followed by opening the start-up song).
// Interim: the start-up settings dialog is not built yet; nothing is changed.
void RunStartupSettingsCommand(int32_t mode);
// Options item 10 (option 1) and the audio set-up's follow-up (option 3): the timebase is
// derived again from the current song's resolution.
void ApplyTimebaseOption(int16_t option);
// Options item 12. Interim: the device sets dialog is not built yet; nothing is shown.
void RunDeviceSetsDialog();
