#include "song/instruments/plugin_hooks.h"

#include <cstdio>

InstrumentPluginHooks gInstrumentPluginHooks;

namespace {

const InstrumentPluginHooks& H() { return gInstrumentPluginHooks; }

}  // namespace

void ForEachInstrumentPlugin(EngineChannelProc callback, void* block) {
  if (H().forEachInstrumentPlugin) H().forEachInstrumentPlugin(callback, block);
}

void DisposeInsertRack(Handle rack) {
  if (H().disposeInsertRack) H().disposeInsertRack(rack);
}

Handle DuplicateInsertRack(Handle rack) {
  if (H().duplicateInsertRack) return H().duplicateInsertRack(rack);
  if (rack) std::fprintf(stderr, "instruments: no plug-in host installed, insert rack not copied\n");
  return Handle();
}

bool RackHasPluginChain(Handle rack) {
  return H().rackHasPluginChain && H().rackHasPluginChain(rack);
}

const void* FindDeviceById(uint32_t id, uint32_t excludedFlags) {
  return H().findDeviceById ? H().findDeviceById(id, excludedFlags) : nullptr;
}

const void* FindDeviceBySecondId(uint32_t secondId) {
  return H().findDeviceBySecondId ? H().findDeviceBySecondId(secondId) : nullptr;
}

uint8_t GetDeviceId(const void* device) { return H().getDeviceId ? H().getDeviceId(device) : 0; }

void RebuildDeviceTable() {
  if (H().rebuildDeviceTable) H().rebuildDeviceTable();
}

Handle SnapshotInsertChain(uint32_t head) {
  return H().snapshotInsertChain ? H().snapshotInsertChain(head) : Handle();
}

void AdjustListedPluginReferences(Handle list, int32_t delta) {
  if (H().adjustListedPluginReferences) H().adjustListedPluginReferences(list, delta);
}

uint32_t RelinkInsertChain(Handle list) {
  return H().relinkInsertChain ? H().relinkInsertChain(list) : 0;
}

void DisposeInsertChainList(Handle list, int32_t flag) {
  if (H().disposeInsertChainList) H().disposeInsertChainList(list, flag);
}

void RefreshRackPlugins(Handle rack, uint32_t head) {
  if (H().refreshRackPlugins) H().refreshRackPlugins(rack, head);
}

void RegisterPluginPatchNames(Handle rack, uint32_t head, int32_t flag) {
  if (H().registerPluginPatchNames) H().registerPluginPatchNames(rack, head, flag);
}

void ReleaseInsertChain(uint32_t head) {
  if (H().releaseInsertChain) H().releaseInsertChain(head);
}

int32_t CountSongPluginDevices() {
  return H().countSongTrackDevices ? H().countSongTrackDevices() : 0;
}

uint8_t GetSongPluginDeviceId(int32_t n) {
  return H().songTrackDeviceId ? H().songTrackDeviceId(n) : 0;
}
