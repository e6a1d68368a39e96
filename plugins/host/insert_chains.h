// Insert chains: the plug-in instances of a mixer channel's insert rack, linked in render
// order by their `next` ids from the rack's chain head (positions count from 0 at the head),
// the per-plug-in values the engine and the mixer read and write through a chain, bypass,
// preparing and suspending a whole chain, latency, snapshots of a chain for undo, and
// closing an instance when the last chain lets go of it.
//
// A chain snapshot (ChainSnapshot) is a handle: u32 count n, then n entries of 16 bytes
// {u32 instance id, u32 position, u32 0, u8 bypass, 3 zero bytes}, big-endian. Each listed
// instance holds one use (counted in its use count and its second count) while listed.
//
// Chains change on the main thread only, with the engine stopped or idle; the engine walks
// them without a lock.
#pragma once

#include <cstdint>

#include "platform/audiounit/audio_unit.h"
#include "platform/memory/mac_types.h"
#include "plugins/host/plugin_instance.h"

struct EngineChannel;
class PluginSettings;

constexpr int32_t kChainSnapshotHeader = 4;
constexpr int32_t kChainSnapshotEntry = 16;
constexpr uint8_t kBusNotConnected = 11;     // the device kind of an output with no device
constexpr OSErr kInstrumentNotFirstErr = 103;
constexpr int32_t kMaxChannelMapIndex = 12;
constexpr int32_t kMaxOutputBusBytes = 32;

// Walking.
PluginInstance* GetChainPlugin(uint32_t head, int32_t n);
int32_t CountChainPlugins(uint32_t head);
void AssignChainIndices(uint32_t head, uint32_t enabledOutputs, Handle automationList);
void GetChainChannelCounts(uint32_t head, int32_t* firstIn, int32_t* firstOut,
                           int32_t* largestOut, int32_t* lastOut, int32_t* largestIn);

// Output buses and the channel map.
OSErr GetPluginOutputBusInfo(const PluginInstance* record, int32_t output, uint8_t* device,
                             uint8_t* second, uint8_t* pair);
OSErr SetChainBusBytes(int32_t output, uint32_t head, uint8_t pair, uint8_t device,
                       uint8_t second);
void GetPluginIOConfig(const PluginInstance* record, uint32_t* stereoOutputs,
                       uint8_t* outputCount);
void SetPluginIOConfig(PluginInstance* record, uint32_t stereoOutputs, uint8_t outputCount);
using PluginOutputProc = void (*)(void* context, int32_t output, uint8_t device,
                                  uint8_t second, uint8_t pair);
// The context's first word (a PluginInstance*) takes the instance used.
void ForEachPluginOutput(PluginInstance* record, PluginOutputProc callback, void* context);
uint8_t AccessPluginChannelMap(int32_t index, PluginInstance* record, int32_t set,
                               uint8_t* second, uint8_t value);
void AccessChainPluginTag(uint32_t head, int32_t n, uint32_t* value, int32_t set);
int32_t GetPluginTableIndex(const PluginInstance* record);

// Questions about a chain or an instance.
int32_t ChainReceivesMidi(uint32_t head);
PluginInstance* FindInstrumentInChain(uint32_t head);
bool IsInstrumentPlugin(const PluginInstance* record);
bool PluginHasEditor(const PluginInstance* record);
bool PluginHasChunks(const PluginInstance* record);
int32_t IsConverterInChain(uint32_t head);
int32_t GetPluginStateFlags(const PluginInstance* record);
void GetPluginGains(const PluginInstance* record, float* inputScale, float* outputScale,
                    uint16_t* rackFormat);
void SetPluginGains(PluginInstance* record, float inputScale, float outputScale,
                    uint16_t rackFormat, uint8_t changeFlags);
uint32_t BusMaskForPairMask(const PluginInstance* record, uint32_t pairMask);
int32_t GetEngineOutputChannels(const PluginInstance* record);

// Bypass.
uint8_t GetBypassState(const PluginInstance* record);
void SaveBypassState(const PluginInstance* record, PluginSettings* settings);
void RestoreBypassState(PluginInstance* record, const PluginSettings* settings,
                        int32_t withMidi);
void SetPluginBypass(PluginInstance* record, int32_t on, int32_t mode);

// Whole chains.
uint32_t SumChainLatency(uint32_t head, int32_t refresh, int32_t firstOnly);
void PrepareChainPlugins(uint32_t head);
void SuspendRackPlugins(EngineChannel* channel, uint32_t head);
void AttachUnitRenderInput(PluginInstance* record, AURenderCallback procedure,
                           void* reference);
OSErr MoveChainPlugin(uint32_t* head, int32_t newPosition, int32_t oldPosition);

// Snapshots and release.
Handle TakeChainSnapshot(uint32_t head);
int32_t CountChainSnapshot(Handle snapshot);
PluginInstance* ChainSnapshotPlugin(Handle snapshot, int32_t n);
void AddSnapshotUse(Handle snapshot, int32_t n);
uint32_t RelinkChainSnapshot(Handle snapshot);
void DisposeChainSnapshot(Handle snapshot, Handle rack);
int32_t ReleasePluginInstance(PluginInstance* record);
uint32_t RemoveChainPlugin(uint32_t head, int32_t* closed, int32_t n, int32_t keep);
// Releases every instance of a live chain once.
void ReleaseChainPlugins(uint32_t head);
