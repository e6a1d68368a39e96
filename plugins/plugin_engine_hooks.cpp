#include "plugins/plugin_engine_hooks.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "plugins/host/plugin_render_hooks.h"
#include "plugins/plugin_output_buses.h"
#include "plugins/plugin_parameters.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_automation_fields.h"

namespace {

// Interim: the chain is the channel's render state, found at position 0.
void* ChainPluginAt(EngineChannel* channel, int32_t position) {
  if (channel == nullptr || position != 0) return nullptr;
  return channel->renderState;
}

// The channel whose id the rack keeps (none for 0 or a channel not playing now).
EngineChannel* RackEngineChannel(Handle rack) {
  uint32_t id = GetRackEngineChannelId(rack);
  return id ? FindEngineChannelById(id) : nullptr;
}

}  // namespace

void InstallPluginEngineHooks() {
  InstallPluginRenderHooks();
  gEnginePluginHooks.setParameter = KeepPluginParameter;
  gEnginePluginHooks.findChainPlugin = ChainPluginAt;
  gEnginePluginHooks.getRackEngineChannel = RackEngineChannel;
  gEnginePluginHooks.rackHasPluginChain = RackHasPluginChain;
  gEnginePluginHooks.countOutputBuses = CountDeclaredOutputBuses;
  gEnginePluginHooks.getOutputBusInfo = GetDeclaredOutputBus;
}
