#include "plugins/library/plugin_loading.h"

OSErr LoadPlugin(int32_t index, double sampleRate, int16_t slot, uint32_t* chainHead, uint32_t flags) {
  return LoadVstPlugin(index, sampleRate, slot, chainHead, false, flags);
}
OSErr LoadVstPlugin(int32_t, double, int16_t, uint32_t*, bool, uint32_t) { return kPluginOpenFailed; }
void UnloadPluginBundle(PluginInfo*) {}
void ClosePluginResourceMap(PluginInfo* entry) { entry->resRefNum = -1; }
void ReleasePluginTableCode(int32_t, uint32_t) {}
OSErr CheckPluginLimit() { return noErr; }
int32_t CountPluginUnitsInUse() { return 0; }
void* GetPluginMainEntry(const PluginInfo*) { return nullptr; }
