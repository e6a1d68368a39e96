#include "plugins/host/plugin_prepare_hooks.h"

#include "audio/engine/engine_plugin_hooks.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_delivery.h"

namespace {

uint32_t DeviceChainHead(uint32_t deviceId) {
  PluginInstance* instance = GetDeviceInstance(deviceId);
  return instance ? instance->id : 0;
}

void* ChainPlugin(uint32_t head, int32_t n) { return GetChainPlugin(head, n); }

// By its table entry, or by what the plug-in itself reports.
bool ChainHasInstrument(uint32_t head) {
  if (FindInstrumentInChain(head)) return true;
  for (int32_t n = 0; PluginInstance* p = GetChainPlugin(head, n); ++n)
    if (IsInstrumentPlugin(p)) return true;
  return false;
}

bool ChainPluginTakesMidi(uint32_t head, int32_t n) {
  PluginInstance* plugin = GetChainPlugin(head, n);
  return plugin && plugin->receivesMidi;
}

void FirstPluginIOConfig(uint32_t head, uint32_t* stereoOutputs, uint8_t* outputCount) {
  *stereoOutputs = 0;
  *outputCount = 0;
  if (PluginInstance* first = GetChainPlugin(head, 0)) GetPluginIOConfig(first, stereoOutputs, outputCount);
}

// Every event of the pools starts as a MIDI event of its byte size.
void* NewChannelMidiState(EngineChannel* channel, uint32_t deviceId) {
  PluginMidiState* state = NewPluginMidiState(channel, deviceId);
  if (!state) return nullptr;
  for (auto& pool : state->pool) {
    for (PluginMidiEvent& e : pool) {
      e.type = kVstMidiType;
      e.byteSize = int32_t(sizeof(PluginMidiEvent) - 8);
    }
  }
  return state;
}

void StartChannelMidiState(void* state, Handle song, double tick) {
  StartPluginMidiState(static_cast<PluginMidiState*>(state), song, tick);
}

void AttachChannelMidiState(EngineChannel* channel, void* state) {
  AttachChannelToDevice(channel, static_cast<PluginMidiState*>(state));
}

// The channel's device let go of the state just before, but the MIDI input thread may still
// walk a view that holds it: the state goes only once no reader can. A reader that outlasts
// the bound (never in practice: a walk takes microseconds) costs the state's memory, never a
// write into freed memory.
void DisposeChannelMidiState(void* state) {
  if (WaitForDeviceViewReaders()) DisposePluginMidiState(static_cast<PluginMidiState*>(state));
}

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
  hooks.chainPlugin = ChainPlugin;
  hooks.chainPluginTakesMidi = ChainPluginTakesMidi;
  hooks.getFirstPluginIOConfig = FirstPluginIOConfig;
  hooks.newChannelMidiState = NewChannelMidiState;
  hooks.startChannelMidiState = StartChannelMidiState;
  hooks.attachChannelMidiState = AttachChannelMidiState;
  hooks.disposeChannelMidiState = DisposeChannelMidiState;
  hooks.clearDeviceMidiStates = ClearDeviceMidiStates;
}
