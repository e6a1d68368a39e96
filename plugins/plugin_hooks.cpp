#include "plugins/plugin_hooks.h"

#include "platform/memory/memory.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/plugin_instances.h"
#include "song/instruments/plugin_hooks.h"

namespace {

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

}  // namespace

void InstallPluginHooks() {
  InstrumentPluginHooks& h = gInstrumentPluginHooks;
  h.disposeInsertRack = DisposeRackBlock;
  h.duplicateInsertRack = DuplicateRackBlock;
  h.rackHasPluginChain = RackRunsPluginChain;
  h.snapshotInsertChain = ListInsertChain;
  h.adjustListedPluginReferences = AdjustChainListReferences;
  h.relinkInsertChain = RelinkChainList;
  h.disposeInsertChainList = DisposeChainList;
  h.refreshRackPlugins = RefreshChainPlugins;
  h.registerPluginPatchNames = RegisterChainPatchNames;
  h.releaseInsertChain = ReleaseChainInstances;
  InstallPluginDeviceHooks();
}
