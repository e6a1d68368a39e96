#include "plugins/instruments_plugin_services.h"

#include "audio/engine/engine_run_state.h"
#include "platform/memory/memory.h"

void ForEachInstrumentPlugin(EngineChannelProc callback, void* block) {
  if (!callback) return;
  for (EngineChannel* c = gEngineChannels; c; c = c->next) callback(c, block);
  for (EngineChannel* c = gAuxBusChannels; c; c = c->next) callback(c, block);
}

// Interim: a rack is a plain block until plug-ins load.
void DisposeInsertRack(Handle rack) {
  if (rack && IsValidHandle(rack)) DisposeHandle(rack);
}

// Interim: a copy of the rack's block.
Handle DuplicateInsertRack(Handle rack) {
  if (!rack || !IsValidHandle(rack)) return Handle();
  Handle copy = rack;
  if (HandToHand(&copy) != noErr) return Handle();
  return copy;
}

// Interim: no plug-in chains until plug-ins load.
bool RackHasPluginChain(Handle) { return false; }

// Interim: the device table is empty until plug-ins load.
const void* FindDeviceById(uint32_t, uint32_t) { return nullptr; }
const void* FindDeviceBySecondId(uint32_t) { return nullptr; }
uint8_t GetDeviceId(const void*) { return 0; }
void RebuildDeviceTable() {}
