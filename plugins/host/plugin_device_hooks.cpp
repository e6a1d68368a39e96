// The device table as the instrument table and the song model reach it.
#include "plugins/host/plugin_devices.h"
#include "sequencer/transport/transport_plugin_hooks.h"
#include "song/documents/document_hooks.h"
#include "song/instruments/plugin_hooks.h"

namespace {

const void* FindDeviceRecordById(uint32_t id, uint32_t flagMask) { return FindPluginDeviceById(id, flagMask); }
const void* FindDeviceRecordBySecondId(uint32_t secondId) { return FindPluginDeviceBySecondId(secondId); }

uint8_t DeviceRecordId(const void* device) {
  if (!device) return 0;
  return uint8_t(PluginDeviceView{static_cast<uint8_t*>(const_cast<void*>(device))}.Id());
}

// A document's table: its records taken, and the song ids of old files fixed (the songs are
// read by now).
void LoadDocumentDeviceTable(uint16_t version) {
  LoadDeviceTable(version);
  FixTrackDeviceSongIds(version);
}

}  // namespace

void InstallPluginDeviceHooks() {
  gTransportPluginHooks.applyTempoToDevices = ApplyTempoToPluginChannels;
  gDocumentHooks.loadPluginDeviceTable = LoadDocumentDeviceTable;
  gDocumentHooks.resetPluginDeviceTable = ResetDeviceTable;
  InstrumentPluginHooks& h = gInstrumentPluginHooks;
  h.forEachInstrumentPlugin = WalkInstrumentPluginChannels;
  h.findDeviceById = FindDeviceRecordById;
  h.findDeviceBySecondId = FindDeviceRecordBySecondId;
  h.getDeviceId = DeviceRecordId;
  h.rebuildDeviceTable = RebuildPluginDeviceTable;
  h.countSongTrackDevices = [] { return CountSongTrackDevices(0); };
  h.songTrackDeviceId = [](int32_t n) { return uint8_t(GetNthVisibleDeviceId(n)); };
}
