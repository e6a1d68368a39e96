#include "song/instruments/controller_tables.h"

Handle gControllerMaps[kControllerTableKinds];
Handle gChannelRows[kControllerTableKinds];
