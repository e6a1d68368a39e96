#include "sequencer/midi/instruments_controller_tables.h"

Handle gControllerMaps[kControllerTableKinds];
Handle gChannelRows[kControllerTableKinds];
