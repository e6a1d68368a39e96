#include "tests/plugins/devices/device_fixture.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/library/plugin_table.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

namespace device_test {

namespace {

int32_t AppendPlugin(const std::string& name, bool effect) {
  PluginInfo info;
  info.kind = kPluginKindVstBundle;
  info.entryFlags = uint8_t(kPluginEntryUsable | (effect ? 0 : kPluginEntryInstrument));
  info.name[0] = uint8_t(name.size());
  std::memcpy(info.name + 1, name.data(), name.size());
  return AppendPluginInfo(info);
}

}  // namespace

int32_t Register(Handle rack, int32_t wanted, int32_t index) {
  int32_t id = wanted;
  EXPECT_EQ(noErr, RegisterPluginDevice(rack, &id, index));
  return id;
}

PluginDeviceView Device(uint32_t id) {
  static uint8_t none[kPluginDeviceSize];
  std::memset(none, 0, sizeof none);
  uint8_t* record = FindPluginDeviceById(id, 0);
  if (!record) ADD_FAILURE() << "no device " << id;
  return PluginDeviceView{record ? record : none};
}

void DeviceTableTest::SetUp() {
  DocumentTest::SetUp();
  ResetPluginTable();
  ResetDeviceTable();
}

void DeviceTableTest::TearDown() {
  // The racks let go of their chains first, so that nothing frees these records twice.
  for (Handle rack : racks_)
    if (IsValidHandle(rack)) WriteU32BE(HandleData(rack) + kRackChainCell, 0);
  for (Handle rack : looseRacks_)
    if (IsValidHandle(rack)) DisposeHandle(rack);
  ResetDeviceTable();
  for (uint32_t id : instances_)
    if (PluginInstance* record = GetPluginInstance(id)) FreePluginInstanceRecord(record);
  ResetPluginTable();
  DocumentTest::TearDown();
}

Handle DeviceTableTest::MakeRack(const std::string& name, bool effect) {
  Handle rack = NewHandleClear(kRackRecordBytes);
  looseRacks_.push_back(rack);
  if (name.empty()) return rack;
  PluginInstance* record = NewPluginInstanceRecord();
  record->tableIndex = uint32_t(AppendPlugin(name, effect));
  record->name[0] = uint8_t(name.size());
  std::memcpy(record->name + 1, name.data(), name.size());
  instances_.push_back(record->id);
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(rack));
  p[kRackFlags] = effect ? 0 : 0x08;
  WriteU32BE(p + kRackChainCell, record->id);
  return rack;
}

Handle DeviceTableTest::AttachedRack(const std::string& name) {
  Handle rack = MakeRack(name);
  looseRacks_.pop_back();
  racks_.push_back(rack);
  return rack;
}

Handle DeviceTableTest::GiveTrackRack(int32_t index, const std::string& name, uint8_t idByte) {
  Handle rack = AttachedRack(name);
  reinterpret_cast<uint8_t*>(HandleData(rack))[36] = idByte;
  SetCurrentTrackIndex(index);
  WriteU32BE(gCurrentTrack + kTrackInsertRack, rack.id);
  gCurrentTrack[kTrackType] = kDeviceKindPlugin;
  return rack;
}

Handle DeviceTableTest::GiveInstrumentRack(int32_t index, const std::string& name, uint8_t idByte) {
  Handle rack = AttachedRack(name);
  InstrumentView entry(GetInstrumentRecord(index));
  entry.SetInsertRack(rack);
  entry.SetPort(0, idByte);
  entry.SetDeviceKind(0, kDeviceKindPlugin);
  return rack;
}

uint32_t DeviceTableTest::RackHead(Handle rack) {
  return ReadU32BE(reinterpret_cast<uint8_t*>(HandleData(rack)) + kRackChainCell);
}

std::string DeviceTableTest::TableText() {
  std::string text;
  for (int32_t n = 0; n < gPluginDeviceCount; ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    std::string name(reinterpret_cast<const char*>(d.Name() + 1), d.Name()[0]);
    if (!text.empty()) text += ' ';
    text += std::to_string(d.Id()) + ":" + (d.IsPending() ? "[" + name + "]" : name);
  }
  return text;
}

std::vector<uint32_t> DeviceTableTest::TableIds() {
  std::vector<uint32_t> ids;
  for (int32_t n = 0; n < gPluginDeviceCount; ++n) ids.push_back(PluginDeviceView{GetPluginDeviceRecord(n)}.Id());
  return ids;
}

}  // namespace device_test
