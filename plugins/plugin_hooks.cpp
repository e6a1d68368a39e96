#include "plugins/plugin_hooks.h"

#include "audio/engine/engine_run_state.h"
#include "platform/memory/memory.h"
#include "plugins/plugin_idle.h"
#include "plugins/plugin_instances.h"
#include "song/instruments/plugin_hooks.h"

namespace {

void WalkEngineChannels(EngineChannelProc callback, void* block) {
  if (!callback) return;
  for (EngineChannel* c = gEngineChannels; c; c = c->next) callback(c, block);
  for (EngineChannel* c = gAuxBusChannels; c; c = c->next) callback(c, block);
}

// Interim: a rack is a plain block until plug-ins load.
void DisposeRackBlock(Handle rack) {
  if (rack && IsValidHandle(rack)) DisposeHandle(rack);
}

// Interim: a copy of the rack's block.
Handle DuplicateRackBlock(Handle rack) {
  if (!rack || !IsValidHandle(rack)) return Handle();
  Handle copy = rack;
  if (HandToHand(&copy) != noErr) return Handle();
  return copy;
}

// Interim: no plug-in chains until plug-ins load.
bool RackRunsPluginChain(Handle) { return false; }

// Interim: the device table is empty until plug-ins load.
const void* FindPluginDevice(uint32_t, uint32_t) { return nullptr; }
const void* FindPluginDeviceBySecondId(uint32_t) { return nullptr; }
uint8_t PluginDeviceId(const void*) { return 0; }
void RegisterPluginDevices() {}

}  // namespace

void InstallPluginHooks() {
  InstrumentPluginHooks& h = gInstrumentPluginHooks;
  h.forEachInstrumentPlugin = WalkEngineChannels;
  h.disposeInsertRack = DisposeRackBlock;
  h.duplicateInsertRack = DuplicateRackBlock;
  h.rackHasPluginChain = RackRunsPluginChain;
  h.findDeviceById = FindPluginDevice;
  h.findDeviceBySecondId = FindPluginDeviceBySecondId;
  h.getDeviceId = PluginDeviceId;
  h.rebuildDeviceTable = RegisterPluginDevices;
  h.snapshotInsertChain = ListInsertChain;
  h.adjustListedPluginReferences = AdjustChainListReferences;
  h.relinkInsertChain = RelinkChainList;
  h.disposeInsertChainList = DisposeChainList;
  h.refreshRackPlugins = RefreshChainPlugins;
  h.registerPluginPatchNames = RegisterChainPatchNames;
  h.releaseInsertChain = ReleaseChainInstances;
  h.countSongTrackDevices = [] { return CountSongTrackDevices(0); };
  h.songTrackDeviceId = GetSongTrackDeviceId;
}
