#include "plugins/plugin_output_buses.h"

#include <algorithm>

namespace {

constexpr int32_t kMaxPlugins = 64;
constexpr int16_t kTableFull = -108;

struct PluginBuses {
  void* plugin = nullptr;
  int32_t count = 0;
  PluginBusInfo buses[kMaxPluginOutputBuses];
};
PluginBuses gPluginBuses[kMaxPlugins];

PluginBuses* Find(void* plugin) {
  if (!plugin) return nullptr;
  for (PluginBuses& p : gPluginBuses) {
    if (p.plugin == plugin) return &p;
  }
  return nullptr;
}

}  // namespace

int16_t SetPluginOutputBuses(void* plugin, const PluginBusInfo* buses, int32_t count) {
  if (!plugin) return -50;
  PluginBuses* entry = Find(plugin);
  if (count <= 0 || !buses) {
    if (entry) *entry = PluginBuses();
    return 0;
  }
  if (!entry) {
    for (PluginBuses& p : gPluginBuses) {
      if (!p.plugin) {
        entry = &p;
        break;
      }
    }
  }
  if (!entry) return kTableFull;
  entry->plugin = plugin;
  entry->count = std::min(count, kMaxPluginOutputBuses);
  std::copy_n(buses, entry->count, entry->buses);
  return 0;
}

int32_t CountDeclaredOutputBuses(void* plugin) {
  const PluginBuses* entry = Find(plugin);
  return entry ? entry->count : 0;
}

int16_t GetDeclaredOutputBus(void* plugin, int32_t bus, PluginBusInfo* info) {
  const PluginBuses* entry = Find(plugin);
  if (!entry || bus < 0 || bus >= entry->count || !info) return -1;
  *info = entry->buses[bus];
  return 0;
}
