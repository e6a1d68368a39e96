#include "plugins/plugin_parameters.h"

#include <algorithm>

namespace {

// A fixed table, so that the engine thread can set values without allocating.
struct KeptValue {
  void* plugin = nullptr;
  int32_t parameter = 0;
  float value = 0.0f;
};
constexpr int32_t kKeptValues = 256;
KeptValue gKeptValues[kKeptValues];

KeptValue* FindKept(void* plugin, int32_t parameter) {
  for (KeptValue& kept : gKeptValues) {
    if (kept.plugin == plugin && kept.parameter == parameter) return &kept;
  }
  return nullptr;
}

}  // namespace

int32_t KeepPluginParameter(void* plugin, int32_t parameter, float value) {
  if (plugin == nullptr || parameter < 0) return -50;
  KeptValue* kept = FindKept(plugin, parameter);
  if (kept == nullptr) kept = FindKept(nullptr, 0);
  if (kept == nullptr) return -108;
  *kept = {plugin, parameter, std::clamp(value, 0.0f, 1.0f)};
  return 0;
}

float GetPluginParameter(void* plugin, int32_t parameter) {
  const KeptValue* kept = plugin ? FindKept(plugin, parameter) : nullptr;
  return kept ? kept->value : 0.0f;
}

void ForgetPluginParameters(void* plugin) {
  for (KeptValue& kept : gKeptValues) {
    if (kept.plugin == plugin) kept = KeptValue();
  }
}
