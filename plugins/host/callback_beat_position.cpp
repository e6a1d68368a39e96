#include "plugins/host/callback_beat_position.h"

double GetCallbackBeatPosition(PluginInstance*, EngineChannel*, int64_t) { return 1.0; }
