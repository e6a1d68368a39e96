// What the instrument table asks of the plug-in host: the walk over the engine's channels,
// insert racks, and the plug-in device table.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;

// Called for each engine channel and then each aux-bus channel; the result is ignored.
using EngineChannelProc = int32_t (*)(EngineChannel* channel, void* block);
void ForEachInstrumentPlugin(EngineChannelProc callback, void* block);

// Disposes an insert rack and what it holds. Interim: racks hold no plug-ins yet, so the
// rack's handle is disposed.
void DisposeInsertRack(Handle rack);
// A rack of its own for a pasted or copied record. Interim: a copy of the rack's block.
Handle DuplicateInsertRack(Handle rack);
// True when the rack runs a chain of plug-ins. Interim: never, until plug-ins load.
bool RackHasPluginChain(Handle rack);

// The plug-in device with this id (flags carrying none of the mask bits), or null.
// Interim: the device table is empty until plug-ins load.
const void* FindDeviceById(uint32_t id, uint32_t excludedFlags);
// The device whose second id matches, or null. Interim: as above.
const void* FindDeviceBySecondId(uint32_t secondId);
// The id of a device found by FindDeviceBySecondId. Interim: 0.
uint8_t GetDeviceId(const void* device);
// Empties the device table and registers the devices again. Interim: nothing to register.
void RebuildDeviceTable();
