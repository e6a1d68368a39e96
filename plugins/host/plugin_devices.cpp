#include "plugins/host/plugin_devices.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_instance.h"
#include "song/documents/document_file.h"

int32_t gPluginDeviceCount = 0;
DeviceLinks gDeviceLinks[kMaxPluginDevices];

namespace {

// The block this table installed in slot 8; a slot that no longer holds it (the document was
// closed) means an empty table.
Handle gDeviceTableBlock;

}  // namespace

uint32_t PluginDeviceView::Kind() const { return ReadU32BE(p + kDeviceKind); }
uint32_t PluginDeviceView::Id() const { return ReadU32BE(p + kDeviceId); }
int32_t PluginDeviceView::BusIndex() const { return ReadI32BE(p + kDeviceBusIndex); }
uint16_t PluginDeviceView::Flags() const { return ReadU16BE(p + kDeviceFlags); }
uint16_t PluginDeviceView::TrackIndex() const { return ReadU16BE(p + kDeviceTrackIndex); }
uint32_t PluginDeviceView::SecondId() const { return ReadU32BE(p + kDeviceSecondId); }
uint16_t PluginDeviceView::RefCount() const { return ReadU16BE(p + kDeviceRefCount); }
int16_t PluginDeviceView::ChildIndex() const { return ReadI16BE(p + kDeviceChildIndex); }
uint16_t PluginDeviceView::SongId() const { return ReadU16BE(p + kDeviceSongId); }

void PluginDeviceView::SetName(const uint8_t* name) {
  std::memset(p + kDeviceName, 0, 32);
  uint8_t n = name ? (name[0] > 31 ? 31 : name[0]) : 0;
  p[kDeviceName] = n;
  if (n) std::memcpy(p + kDeviceName + 1, name + 1, n);
}
void PluginDeviceView::SetKind(uint32_t v) { WriteU32BE(p + kDeviceKind, v); }
void PluginDeviceView::SetId(uint32_t v) { WriteU32BE(p + kDeviceId, v); }
void PluginDeviceView::SetBusIndex(int32_t v) { WriteI32BE(p + kDeviceBusIndex, v); }
void PluginDeviceView::SetFlags(uint16_t v) { WriteU16BE(p + kDeviceFlags, v); }
void PluginDeviceView::SetTrackIndex(uint16_t v) { WriteU16BE(p + kDeviceTrackIndex, v); }
void PluginDeviceView::SetRefCount(uint16_t v) { WriteU16BE(p + kDeviceRefCount, v); }
void PluginDeviceView::SetChildIndex(int16_t v) { WriteI16BE(p + kDeviceChildIndex, v); }
void PluginDeviceView::SetSongId(uint16_t v) { WriteU16BE(p + kDeviceSongId, v); }

Handle GetPluginDeviceTable() {
  Handle table = GetDocumentSlot(kDeviceTableSlot);
  return table && table == gDeviceTableBlock && IsValidHandle(table) ? table : Handle();
}

int32_t CountTableRecords() {
  int32_t records = CountDeviceRecords(GetPluginDeviceTable());
  return gPluginDeviceCount < records ? gPluginDeviceCount : records;
}

uint8_t* GetPluginDeviceRecord(int32_t n) {
  if (n < 0 || n >= CountTableRecords()) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(GetPluginDeviceTable())) + size_t(n) * kPluginDeviceSize;
}

int32_t CountDeviceRecords(Handle table) {
  if (!table || !IsValidHandle(table)) return 0;
  return int32_t(GetHandleSize(table) / kPluginDeviceSize);
}

int32_t DeviceRecordIndex(const uint8_t* record) {
  uint8_t* first = GetPluginDeviceRecord(0);
  if (!record || !first || record < first) return -1;
  int32_t n = int32_t((record - first) / kPluginDeviceSize);
  return n < CountTableRecords() ? n : -1;
}

uint8_t* FindPluginDeviceById(uint32_t id, uint32_t flagMask) {
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    if (d.Id() == id && (d.Flags() & flagMask) == 0) return d.p;
  }
  return nullptr;
}

uint8_t* FindDeviceByInstance(uint32_t instance) {
  if (instance == 0) return nullptr;
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    if (!d.IsPending() && gDeviceLinks[n].instance == instance) return d.p;
  }
  return nullptr;
}

uint8_t* FindDeviceByBusIndex(int32_t busIndex) {
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    if (!d.IsPending() && d.BusIndex() == busIndex) return d.p;
  }
  return nullptr;
}

uint8_t* FindPluginDeviceBySecondId(uint32_t secondId) {
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    if (!d.IsPending() && d.SecondId() == secondId) return d.p;
  }
  return nullptr;
}

uint32_t GetDeviceInstanceId(const uint8_t* record) {
  int32_t n = DeviceRecordIndex(record);
  return n < 0 ? 0 : gDeviceLinks[n].instance;
}

PluginMidiState* GetDeviceMidiState(const uint8_t* record) {
  int32_t n = DeviceRecordIndex(record);
  return n < 0 ? nullptr : gDeviceLinks[n].midiState;
}

PluginInstance* GetDeviceInstance(uint32_t id) {
  return GetPluginInstance(GetDeviceInstanceId(FindPluginDeviceById(id, 0)));
}

bool LinkDeviceInstance(uint32_t id, uint32_t instance) {
  PluginDeviceView d{FindPluginDeviceById(id, 0)};
  if (!d.p) return false;
  gDeviceLinks[DeviceRecordIndex(d.p)].instance = instance;
  d.SetFlags(instance ? uint16_t(d.Flags() & ~kDevicePending) : uint16_t(d.Flags() | kDevicePending));
  d.SetRefCount(uint16_t(d.RefCount() + 1));
  PublishLiveDevices();
  return true;
}

// A block the slot holds that the table never took (a document read without this table
// installed) is the table all the same: it goes when another takes its place.
void SetDeviceTableBlock(Handle table, int32_t count) {
  Handle held = GetDocumentSlot(kDeviceTableSlot);
  if (held && held != table && held != gDeviceTableBlock && IsValidHandle(held)) DisposeHandle(held);
  SetDocumentSlot(kDeviceTableSlot, table);
  gDeviceTableBlock = table;
  gPluginDeviceCount = table ? count : 0;
}
