#include "plugins/plugin_engine_hooks.h"

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "plugins/plugin_output_buses.h"
#include "plugins/plugin_parameters.h"
#include "song/instruments/plugin_hooks.h"

namespace {

// Interim: the chain is the channel's render state, found at position 0.
void* ChainPluginAt(EngineChannel* channel, int32_t position) {
  if (channel == nullptr || position != 0) return nullptr;
  return channel->renderState;
}

// Interim: racks hold no plug-ins yet, so none.
EngineChannel* RackEngineChannel(Handle) { return nullptr; }

}  // namespace

void InstallPluginEngineHooks() {
  gEnginePluginHooks.setParameter = KeepPluginParameter;
  gEnginePluginHooks.findChainPlugin = ChainPluginAt;
  gEnginePluginHooks.getRackEngineChannel = RackEngineChannel;
  gEnginePluginHooks.rackHasPluginChain = RackHasPluginChain;
  gEnginePluginHooks.countOutputBuses = CountDeclaredOutputBuses;
  gEnginePluginHooks.getOutputBusInfo = GetDeclaredOutputBus;
}
