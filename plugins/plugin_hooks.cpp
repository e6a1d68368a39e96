#include "plugins/plugin_hooks.h"

#include "audio/engine/engine_run_state.h"
#include "platform/memory/memory.h"
#include "plugins/plugin_idle.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instances.h"
#include "song/instruments/plugin_hooks.h"

namespace {

void WalkEngineChannels(EngineChannelProc callback, void* block) {
  if (!callback) return;
  for (EngineChannel* c = gEngineChannels; c; c = c->next) callback(c, block);
  for (EngineChannel* c = gAuxBusChannels; c; c = c->next) callback(c, block);
}

// A listed chain lets go of each plug-in; the state re-reading is the settings code's.
void ReleaseListedChain(Handle, uint32_t head) { ReleaseChainPlugins(head); }

void RegisterChainPatchNames(Handle, uint32_t, int32_t) {}

// Interim: the device table is empty until plug-ins load.
const void* FindPluginDevice(uint32_t, uint32_t) { return nullptr; }
const void* FindPluginDeviceBySecondId(uint32_t) { return nullptr; }
uint8_t PluginDeviceId(const void*) { return 0; }
void RegisterPluginDevices() {}

}  // namespace

void InstallPluginHooks() {
  InstrumentPluginHooks& h = gInstrumentPluginHooks;
  h.forEachInstrumentPlugin = WalkEngineChannels;
  h.disposeInsertRack = DisposeRack;
  h.duplicateInsertRack = DuplicateRack;
  h.rackHasPluginChain = RackRunsPluginChain;
  h.findDeviceById = FindPluginDevice;
  h.findDeviceBySecondId = FindPluginDeviceBySecondId;
  h.getDeviceId = PluginDeviceId;
  h.rebuildDeviceTable = RegisterPluginDevices;
  h.snapshotInsertChain = TakeChainSnapshot;
  h.adjustListedPluginReferences = AddSnapshotUse;
  h.relinkInsertChain = RelinkChainSnapshot;
  h.disposeInsertChainList = [](Handle list, int32_t) { DisposeChainSnapshot(list, Handle()); };
  h.refreshRackPlugins = ReleaseListedChain;
  h.registerPluginPatchNames = RegisterChainPatchNames;
  h.releaseInsertChain = ReleaseChainPlugins;
  h.countSongTrackDevices = [] { return CountSongTrackDevices(0); };
  h.songTrackDeviceId = GetSongTrackDeviceId;
}
