// Stub bodies while the chain code is written.
#include "plugins/host/insert_chains.h"

PluginInstance* GetChainPlugin(uint32_t, int32_t) { return {}; }
int32_t CountChainPlugins(uint32_t) { return {}; }
void AssignChainIndices(uint32_t, uint32_t, Handle) {}
void GetChainChannelCounts(uint32_t, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*) {}
OSErr GetPluginOutputBusInfo(const PluginInstance*, int32_t, uint8_t*, uint8_t*, uint8_t*) { return {}; }
OSErr SetChainBusBytes(int32_t, uint32_t, uint8_t, uint8_t, uint8_t) { return {}; }
void GetPluginIOConfig(const PluginInstance*, uint32_t*, uint8_t*) {}
void SetPluginIOConfig(PluginInstance*, uint32_t, uint8_t) {}
void ForEachPluginOutput(PluginInstance*, PluginOutputProc, void*) {}
uint8_t AccessPluginChannelMap(int32_t, PluginInstance*, int32_t, uint8_t*, uint8_t) { return {}; }
void AccessChainPluginTag(uint32_t, int32_t, uint32_t*, int32_t) {}
int32_t GetPluginTableIndex(const PluginInstance*) { return {}; }
int32_t ChainReceivesMidi(uint32_t) { return {}; }
PluginInstance* FindInstrumentInChain(uint32_t) { return {}; }
bool IsInstrumentPlugin(const PluginInstance*) { return {}; }
bool PluginHasEditor(const PluginInstance*) { return {}; }
bool PluginHasChunks(const PluginInstance*) { return {}; }
int32_t IsConverterInChain(uint32_t) { return {}; }
int32_t GetPluginStateFlags(const PluginInstance*) { return {}; }
void GetPluginGains(const PluginInstance*, float*, float*, uint16_t*) {}
void SetPluginGains(PluginInstance*, float, float, uint16_t, uint8_t) {}
uint32_t BusMaskForPairMask(const PluginInstance*, uint32_t) { return {}; }
int32_t GetEngineOutputChannels(const PluginInstance*) { return {}; }
uint8_t GetBypassState(const PluginInstance*) { return {}; }
void SaveBypassState(const PluginInstance*, PluginSettings*) {}
void RestoreBypassState(PluginInstance*, const PluginSettings*, int32_t) {}
void SetPluginBypass(PluginInstance*, int32_t, int32_t) {}
uint32_t SumChainLatency(uint32_t, int32_t, int32_t) { return {}; }
void PrepareChainPlugins(uint32_t) {}
void SuspendRackPlugins(EngineChannel*, uint32_t) {}
void AttachUnitRenderInput(PluginInstance*, AURenderCallback, void*) {}
OSErr MoveChainPlugin(uint32_t*, int32_t, int32_t) { return {}; }
Handle TakeChainSnapshot(uint32_t) { return {}; }
int32_t CountChainSnapshot(Handle) { return {}; }
PluginInstance* ChainSnapshotPlugin(Handle, int32_t) { return {}; }
void AddSnapshotUse(Handle, int32_t) {}
uint32_t RelinkChainSnapshot(Handle) { return {}; }
void DisposeChainSnapshot(Handle, Handle) {}
int32_t ReleasePluginInstance(PluginInstance*) { return {}; }
uint32_t RemoveChainPlugin(uint32_t, int32_t*, int32_t, int32_t) { return {}; }
void ReleaseChainPlugins(uint32_t) {}
