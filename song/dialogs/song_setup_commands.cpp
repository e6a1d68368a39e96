#include "song/dialogs/song_setup_commands.h"

#include "song/conductor/timebase.h"

void RunNewInstrumentDialog(int16_t, int32_t) {}

void RunInstrumentMenuCommand() {}

void RunStartupSettingsCommand(int32_t) {}

void ApplyTimebaseOption(int16_t) { ApplyTimebase(); }

void RunDeviceSetsDialog() {}
