#include "mixer/window/mixer_rows.h"

#include <algorithm>

#include "mixer/presets/program_lists.h"
#include "mixer/window/mixer_selection.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instance.h"

MixerRowShape MixerRowShapeOf(PluginInstance* plugin) {
  MixerRowShape shape;
  if (!plugin) return shape;
  shape.parameters = int32_t(std::min<uint32_t>(plugin->parameterCount, 100000));
  shape.stateFlags = GetPluginStateFlags(plugin);
  shape.withoutParameters = (plugin->stateFlags & kPluginStateBankFSSpec) != 0;
  shape.firstVisible = GetFirstVisibleParameter(plugin);
  shape.hasPresets = plugin->programCount > 0 || CountCombinedPresets(plugin) > CountFactoryPresets(plugin);
  return shape;
}

void CollectMixerRows(MixerRows* rows) {
  *rows = MixerRows();
  rows->rack = GetMixerSelectedRack();
  if (!rows->rack) return;
  rows->locked = (GetRackFlags(rows->rack) & kRackFlagInsertsOff) != 0;
  rows->head = GetRackChainHead(rows->rack);
  if (rows->locked) return;
  bool expanded = gMixerExpanded != 0;
  for (int32_t i = 0; i < kMaxMixerRows; ++i) {
    PluginInstance* p = GetChainPlugin(rows->head, i);
    if (!p) break;
    rows->plugins[i] = p;
    rows->shapes[i] = MixerRowShapeOf(p);
    rows->heights[i] = MixerRowHeight(rows->shapes[i], expanded);
    rows->count = i + 1;
  }
}

int16_t MixerRowTopOf(const MixerRows& rows, int32_t row) {
  return MixerRowTop(rows.heights, row, gMixerExpanded != 0);
}

int16_t MixerRowsBottom(const MixerRows& rows) { return MixerRowTopOf(rows, rows.count); }

uint32_t GetPluginMixerFlags(const PluginInstance* plugin) { return plugin ? plugin->mixerFlags : 0; }

void SetPluginMixerFlags(PluginInstance* plugin, uint32_t flags) {
  if (plugin) plugin->mixerFlags = flags;
}

// A first parameter past the count (the plug-in changed since it was stored) shows the first.
int32_t GetFirstVisibleParameter(const PluginInstance* plugin) {
  if (!plugin || plugin->firstVisibleParameter >= plugin->parameterCount) return 0;
  return plugin->firstVisibleParameter;
}

void SetFirstVisibleParameter(PluginInstance* plugin, int32_t first) {
  if (plugin) plugin->firstVisibleParameter = uint16_t(std::clamp(first, 0, 65535));
}

void ReadRackFaders(const PluginInstance* first, double values[3]) {
  values[0] = values[1] = values[2] = 0;
  if (!first) return;
  float in = 0, out = 0;
  uint16_t middle = 0;
  GetPluginGains(first, &in, &out, &middle);
  values[0] = in;
  values[1] = middle;
  values[2] = out;
}

void StoreRackFaders(PluginInstance* first, const double values[3]) {
  SetPluginGains(first, float(values[0]), float(values[2]), uint16_t(values[1]), 0);
}
