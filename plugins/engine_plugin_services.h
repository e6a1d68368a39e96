// What the audio engine asks of the plug-in host while it plays: setting a plug-in parameter
// from automation, and finding the plug-in at a position of a channel's insert chain.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;

// Sets a parameter (normalised 0..1, clamped) of a plug-in; 0, -50 for no plug-in or a
// negative parameter. Interim: the value is kept in a fixed table (256 values; -108 when it
// is full) and answered by GetPluginParameter until plug-ins load. Never allocates.
int32_t SetPluginParameterChecked(void* plugin, int32_t parameter, float value);
float GetPluginParameter(void* plugin, int32_t parameter);
// Forgets the values kept for a plug-in that goes away.
void ForgetPluginParameters(void* plugin);
// The plug-in at a position of the channel's insert chain, or null. Interim: the chain is
// the channel's render state, found at position 0.
void* FindChainPlugin(EngineChannel* channel, int32_t position);
// The engine channel that an insert rack plays through, or null. Interim: racks hold no
// plug-ins yet, so none.
EngineChannel* GetRackEngineChannel(Handle rack);
