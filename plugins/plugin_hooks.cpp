#include "plugins/plugin_hooks.h"

#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "song/instruments/plugin_hooks.h"

namespace {

// A listed chain lets go of each plug-in; the state re-reading is the settings code's.
void ReleaseListedChain(Handle, uint32_t head) { ReleaseChainPlugins(head); }

void RegisterChainPatchNames(Handle, uint32_t, int32_t) {}

}  // namespace

void InstallPluginHooks() {
  InstrumentPluginHooks& h = gInstrumentPluginHooks;
  h.disposeInsertRack = DisposeRack;
  h.duplicateInsertRack = DuplicateRack;
  h.rackHasPluginChain = RackRunsPluginChain;
  h.snapshotInsertChain = TakeChainSnapshot;
  h.adjustListedPluginReferences = AddSnapshotUse;
  h.relinkInsertChain = RelinkChainSnapshot;
  h.disposeInsertChainList = [](Handle list, int32_t) { DisposeChainSnapshot(list, Handle()); };
  h.refreshRackPlugins = ReleaseListedChain;
  h.registerPluginPatchNames = RegisterChainPatchNames;
  h.releaseInsertChain = ReleaseChainPlugins;
  InstallPluginDeviceHooks();
  InstallPluginInstrumentOutput();
}
