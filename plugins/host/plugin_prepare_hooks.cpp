#include "plugins/host/plugin_prepare_hooks.h"

#include "audio/engine/engine_plugin_hooks.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_delivery.h"

namespace {

uint32_t DeviceChainHead(uint32_t deviceId) {
  PluginInstance* instance = GetDeviceInstance(deviceId);
  return instance ? instance->id : 0;
}

bool ChainHasInstrument(uint32_t head) { return FindInstrumentInChain(head) != nullptr; }

bool ChainPluginTakesMidi(uint32_t head, int32_t n) {
  PluginInstance* plugin = GetChainPlugin(head, n);
  return plugin && plugin->receivesMidi;
}

void FirstPluginIOConfig(uint32_t head, uint32_t* stereoOutputs, uint8_t* outputCount) {
  *stereoOutputs = 0;
  *outputCount = 0;
  if (PluginInstance* first = GetChainPlugin(head, 0)) GetPluginIOConfig(first, stereoOutputs, outputCount);
}

void* NewChannelMidiState(EngineChannel* channel, uint32_t deviceId) { return NewPluginMidiState(channel, deviceId); }

void StartChannelMidiState(void* state, Handle song, double tick) {
  StartPluginMidiState(static_cast<PluginMidiState*>(state), song, tick);
}

void AttachChannelMidiState(EngineChannel* channel, void* state) {
  AttachChannelToDevice(channel, static_cast<PluginMidiState*>(state));
}

void DisposeChannelMidiState(void* state) { DisposePluginMidiState(static_cast<PluginMidiState*>(state)); }

}  // namespace

void InstallPluginPrepareHooks() {
  EnginePluginHooks& hooks = gEnginePluginHooks;
  hooks.deviceChainHead = DeviceChainHead;
  hooks.rackChainHead = GetRackChainHead;
  hooks.assignChainIndices = AssignChainIndices;
  hooks.getChainChannelCounts = GetChainChannelCounts;
  hooks.sumChainLatency = SumChainLatency;
  hooks.prepareChainPlugins = PrepareChainPlugins;
  hooks.suspendChainPlugins = SuspendRackPlugins;
  hooks.chainHasInstrument = ChainHasInstrument;
  hooks.countChainPlugins = CountChainPlugins;
  hooks.chainPluginTakesMidi = ChainPluginTakesMidi;
  hooks.getFirstPluginIOConfig = FirstPluginIOConfig;
  hooks.newChannelMidiState = NewChannelMidiState;
  hooks.startChannelMidiState = StartChannelMidiState;
  hooks.attachChannelMidiState = AttachChannelMidiState;
  hooks.disposeChannelMidiState = DisposeChannelMidiState;
}
