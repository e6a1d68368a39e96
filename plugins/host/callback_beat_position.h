// The song position a host callback reports to a plug-in, as a 1-based tick at the song's
// resolution, for a sample position: from the channel being rendered when there is one, else
// through the song's tempo map. Used by the VST time record and the Audio Unit callbacks.
// Engine or main thread; never allocates or blocks.
#pragma once

#include <cstdint>

struct EngineChannel;
struct PluginInstance;

double GetCallbackBeatPosition(PluginInstance* instance, EngineChannel* channel,
                               int64_t sampleTime);
