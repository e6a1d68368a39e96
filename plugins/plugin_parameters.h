// Plug-in parameters as automation sets them. Interim until plug-ins load: the values are kept
// in a fixed table (256 values) and answered by GetPluginParameter. Never allocates, so the
// engine thread may set them.
#pragma once

#include <cstdint>

// Sets a parameter (normalised 0..1, clamped) of a plug-in; 0, -50 for no plug-in or a
// negative parameter, -108 when the table is full. The engine reaches it as
// SetPluginParameterChecked.
int32_t KeepPluginParameter(void* plugin, int32_t parameter, float value);
float GetPluginParameter(void* plugin, int32_t parameter);
// Forgets the values kept for a plug-in that goes away.
void ForgetPluginParameters(void* plugin);
