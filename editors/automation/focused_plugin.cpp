#include "editors/automation/focused_plugin.h"

#include "editors/automation/rack_focus.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "song/instruments/rack_sharing.h"

PluginInstance* GetFocusedPluginObject() {
  Handle rack = GetFocusedPluginHandle();
  if (!rack || !IsInsertRack(rack)) return nullptr;
  uint32_t head = GetRackChainHead(rack);
  return head ? GetChainPlugin(head, kPanePluginIndex) : nullptr;
}

float MapLaneValueToParameter(int32_t index, float value) {
  PluginInstance* plugin = GetFocusedPluginObject();
  if (!plugin || index < 0 || uint32_t(index) >= plugin->parameterCount) return value;
  return MapLinearToParameter(plugin, index, value);
}
