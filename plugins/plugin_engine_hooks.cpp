#include "plugins/plugin_engine_hooks.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/render/channel_render.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_render_hooks.h"
#include "plugins/plugin_output_buses.h"
#include "plugins/plugin_parameters.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_automation_fields.h"

namespace {

// The plug-in at the position of the channel's chain. Interim for a render state whose head
// is no open instance (a chain made by hand): the render state itself, found at position 0.
void* ChainPluginAt(EngineChannel* channel, int32_t position) {
  if (channel == nullptr || channel->renderState == nullptr) return nullptr;
  void* head = channel->renderState->chainHead;
  if (IsLivePluginInstance(head)) return GetChainPlugin(static_cast<PluginInstance*>(head)->id, position);
  return position == 0 ? channel->renderState : nullptr;
}

// An open instance's parameter is set in the plug-in; the interim keeps anything else's.
int32_t SetChainPluginParameter(void* plugin, int32_t parameter, float value) {
  if (IsLivePluginInstance(plugin)) return SetEngineParameter(plugin, parameter, value);
  return KeepPluginParameter(plugin, parameter, value);
}

// The channel whose id the rack keeps (none for 0 or a channel not playing now).
EngineChannel* RackEngineChannel(Handle rack) {
  uint32_t id = GetRackEngineChannelId(rack);
  return id ? FindEngineChannelById(id) : nullptr;
}

}  // namespace

void InstallPluginEngineHooks() {
  InstallPluginRenderHooks();
  gEnginePluginHooks.setParameter = SetChainPluginParameter;
  gEnginePluginHooks.findChainPlugin = ChainPluginAt;
  gEnginePluginHooks.getRackEngineChannel = RackEngineChannel;
  gEnginePluginHooks.rackHasPluginChain = RackHasPluginChain;
  gEnginePluginHooks.countOutputBuses = CountDeclaredOutputBuses;
  gEnginePluginHooks.getOutputBusInfo = GetDeclaredOutputBus;
}
