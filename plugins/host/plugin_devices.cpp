#include "plugins/host/plugin_devices.h"

#include "platform/memory/byte_order.h"

int32_t gPluginDeviceCount = 0;

uint32_t PluginDeviceView::Kind() const { return ReadU32BE(p + kDeviceKind); }
uint32_t PluginDeviceView::Id() const { return ReadU32BE(p + kDeviceId); }
int32_t PluginDeviceView::BusIndex() const { return int32_t(ReadU32BE(p + kDeviceBusIndex)); }
uint16_t PluginDeviceView::Flags() const { return ReadU16BE(p + kDeviceFlags); }
uint16_t PluginDeviceView::TrackIndex() const { return ReadU16BE(p + kDeviceTrackIndex); }
uint32_t PluginDeviceView::SecondId() const { return ReadU32BE(p + kDeviceSecondId); }
uint16_t PluginDeviceView::RefCount() const { return ReadU16BE(p + kDeviceRefCount); }
int16_t PluginDeviceView::ChildIndex() const { return int16_t(ReadU16BE(p + kDeviceChildIndex)); }
uint16_t PluginDeviceView::SongId() const { return ReadU16BE(p + kDeviceSongId); }

// Interim stubs: the table is empty.
Handle GetPluginDeviceTable() { return Handle(); }
uint8_t* GetPluginDeviceRecord(int32_t) { return nullptr; }
uint8_t* FindPluginDeviceById(uint32_t, uint32_t) { return nullptr; }
uint8_t* FindDeviceByInstance(uint32_t) { return nullptr; }
uint8_t* FindDeviceByBusIndex(int32_t) { return nullptr; }
uint8_t* FindPluginDeviceBySecondId(uint32_t) { return nullptr; }
PluginInstance* GetDeviceInstance(uint32_t) { return nullptr; }
uint32_t GetDeviceInstanceId(const uint8_t*) { return 0; }
PluginMidiState* GetDeviceMidiState(const uint8_t*) { return nullptr; }
void ForEachLiveDevice(uint32_t, LiveDeviceProc, void*) {}
int32_t CountRetiredDeviceViews() { return 0; }
