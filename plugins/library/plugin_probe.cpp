#include "plugins/library/plugin_probe.h"

void ProbeVstPlugin(const char*, int32_t, PluginProbeResult* result) { *result = {}; result->status = -43; }
void ProbeVstPlugins(const char* const* paths, int32_t count, int32_t, int32_t timeoutMs, PluginProbeResult* results) {
  for (int32_t i = 0; i < count; ++i) ProbeVstPlugin(paths[i], timeoutMs, &results[i]);
}
