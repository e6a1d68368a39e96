// Interim: plug-in instances as counted records and the insert chains that link them, with
// the chain lists (snapshots) that let two racks use the same instances. Only the counting,
// the links and the bypass byte exist; nothing is loaded or rendered until the plug-in host
// is built. The song reaches the chain operations through its plug-in hooks
// (song/instruments/plugin_hooks.h); song/instruments/rack_sharing.h describes the rack.
//
// A chain list is u32 count n, then n entries of 16 bytes {u32 instance id, u32 position in
// the chain, u32 0, u8 bypass, 3 pad}; each listed instance holds one reference.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kChainListHeader = 4;
constexpr int32_t kChainListEntry = 16;

// A new instance with one reference (the chain that will hold it), not linked, not bypassed.
uint32_t NewPluginInstance();
// Drops one reference; the instance is closed at 0. Returns 1 when it was closed.
int32_t ReleasePluginInstance(uint32_t instance);
bool IsPluginInstanceOpen(uint32_t instance);
int32_t GetPluginUseCount(uint32_t instance);
uint32_t GetPluginNext(uint32_t instance);
void SetPluginNext(uint32_t instance, uint32_t next);
uint8_t GetPluginBypass(uint32_t instance);
void SetPluginBypass(uint32_t instance, uint8_t on, int32_t mode);
// Number of instances still open (for leak checks).
int32_t CountOpenPluginInstances();

// The chain operations the plug-in hooks install, in the order of their entries (see
// song/instruments/plugin_hooks.h for what each does). Interim: refreshing a chain only lets
// go of its hold on each instance, and no patch names exist yet.
Handle ListInsertChain(uint32_t head);
void AdjustChainListReferences(Handle list, int32_t delta);
uint32_t RelinkChainList(Handle list);
void DisposeChainList(Handle list, int32_t flag);
void RefreshChainPlugins(Handle rack, uint32_t head);
void RegisterChainPatchNames(Handle rack, uint32_t head, int32_t flag);
void ReleaseChainInstances(uint32_t head);
