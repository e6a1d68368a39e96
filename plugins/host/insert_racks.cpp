// Stub bodies while the rack code is written.
#include "plugins/host/insert_racks.h"

uint8_t GetRackFlags(Handle) { return {}; }
void SetRackFlags(Handle, uint8_t) {}
uint32_t GetRackChainHead(Handle) { return {}; }
void SetRackChainHead(Handle, uint32_t) {}
uint32_t GetCurrentTrackChainHead() { return {}; }
OSErr RestoreChainSnapshot(Handle, Handle, Handle, int32_t) { return {}; }
void DisposeRack(Handle) {}
Handle DuplicateRack(Handle) { return {}; }
bool RackRunsPluginChain(Handle) { return {}; }
