// What the instrument table and the insert racks ask of the plug-in host: the walk over the
// engine's channels, the insert racks, the plug-in device table and the insert chains of
// plug-in instances (see song/instruments/rack_sharing.h for a rack's bytes). Installed by
// the plug-ins at start-up (InstallPluginHooks); an entry not installed does nothing.
// Main thread only.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;

// Called for each engine channel and then each aux-bus channel; the result is ignored.
using EngineChannelProc = int32_t (*)(EngineChannel* channel, void* block);

struct InstrumentPluginHooks {
  void (*forEachInstrumentPlugin)(EngineChannelProc callback, void* block);
  void (*disposeInsertRack)(Handle rack);
  Handle (*duplicateInsertRack)(Handle rack);
  bool (*rackHasPluginChain)(Handle rack);
  const void* (*findDeviceById)(uint32_t id, uint32_t excludedFlags);
  const void* (*findDeviceBySecondId)(uint32_t secondId);
  uint8_t (*getDeviceId)(const void* device);
  void (*rebuildDeviceTable)();
  Handle (*snapshotInsertChain)(uint32_t head);
  void (*adjustListedPluginReferences)(Handle list, int32_t delta);
  uint32_t (*relinkInsertChain)(Handle list);
  void (*disposeInsertChainList)(Handle list, int32_t flag);
  void (*refreshRackPlugins)(Handle rack, uint32_t head);
  void (*registerPluginPatchNames)(Handle rack, uint32_t head, int32_t flag);
  void (*releaseInsertChain)(uint32_t head);
  // Saved insert racks: the state of a rack's chain (song/instruments/insert_rack_state.h)
  // and re-creating a chain from one.
  Handle (*saveInsertRackState)(Handle rack);
  OSErr (*applyInsertRackState)(Handle rack, Handle state);
  int32_t (*countSongTrackDevices)();
  uint8_t (*songTrackDeviceId)(int32_t n);
};
extern InstrumentPluginHooks gInstrumentPluginHooks;

// The channels of the engine, then those of the aux buses.
void ForEachInstrumentPlugin(EngineChannelProc callback, void* block);
// Disposes an insert rack and what it holds.
void DisposeInsertRack(Handle rack);
// A rack of its own for a pasted or copied record. Not installed: 0, and a line on stderr
// when there was a rack to copy.
Handle DuplicateInsertRack(Handle rack);
// True when the rack runs a chain of plug-ins. Not installed: false.
bool RackHasPluginChain(Handle rack);

// The plug-in device with this id (flags carrying none of the mask bits), or null.
const void* FindDeviceById(uint32_t id, uint32_t excludedFlags);
// The device whose second id matches, or null.
const void* FindDeviceBySecondId(uint32_t secondId);
// The id of a device found by FindDeviceBySecondId; 0 when not installed.
uint8_t GetDeviceId(const void* device);
// Empties the device table and registers the devices again.
void RebuildDeviceTable();

// A list of the chain from head (each instance one more reference), or 0 for an empty chain
// or when memory is short (and when not installed).
Handle SnapshotInsertChain(uint32_t head);
void AdjustListedPluginReferences(Handle list, int32_t delta);
// Links the listed instances again in list order (each one more reference), restores their
// bypass states and returns the first (0 for a null or empty list, and when not installed).
uint32_t RelinkInsertChain(Handle list);
// Releases each listed instance once and disposes the list. A null list does nothing.
void DisposeInsertChainList(Handle list, int32_t flag);
// Re-reads the state of each plug-in of a chain and lets go of the chain's hold on it.
void RefreshRackPlugins(Handle rack, uint32_t head);
// Registers the patch names of the rack's first plug-in.
void RegisterPluginPatchNames(Handle rack, uint32_t head, int32_t flag);
// Releases every instance of a live chain once.
void ReleaseInsertChain(uint32_t head);

// The number of song-track plug-in devices of the current song; 0 when not installed.
int32_t CountSongPluginDevices();
// The device id of the n-th (from 0) song-track device of the current song; 0 beyond the
// count and when not installed.
uint8_t GetSongPluginDeviceId(int32_t n);
