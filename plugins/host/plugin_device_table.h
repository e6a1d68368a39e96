// The device table's own bookkeeping, shared by the files of the plug-in device table: the
// in-memory links beside each record, the block swap and the live view's publication.
// Main thread only, except where a call says otherwise.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;
struct PluginMidiState;

// Device ids are bytes, so no table holds more records than this.
constexpr int32_t kMaxPluginDevices = 256;

// The links of record n (gDeviceLinks[n]), which the block never carries.
struct DeviceLinks {
  uint32_t instance = 0;
  PluginMidiState* midiState = nullptr;
  EngineChannel* channel = nullptr;
};
extern DeviceLinks gDeviceLinks[kMaxPluginDevices];

// The records the table holds now: the count, bounded by the block (0 once the document that
// held the block is closed).
int32_t CountTableRecords();
// The index of a record of the table, or -1.
int32_t DeviceRecordIndex(const uint8_t* record);
// Stores the block in the document's slot 8 with its count (0 for a null block). The old
// block is the caller's to dispose.
void SetDeviceTableBlock(Handle table, int32_t count);
// Empties the table and frees its block.
void DisposeDeviceTable();

// Publishes the table's ids, flags and links to the live view readers.
void PublishLiveDevices();
// Waits (at most about 200 ms) until no reader holds a view older than the current one and
// frees those views; false when a reader still held one.
bool WaitForDeviceViewReaders();

// The id byte of an insert rack (+36), which ties the rack to its device and engine channel.
uint8_t GetRackDeviceIdByte(Handle rack);
void SetRackDeviceIdByte(Handle rack, uint8_t id);
