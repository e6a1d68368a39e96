#include "plugins/host/vst_host_callback.h"

const char kHostVendorString[kHostVendorStringBytes] = "RuvokTechnology";
const char kHostProductString[kHostProductStringBytes] = "Zarin\xE2\x84\xA2";
const char* const kHostCanDo[kHostCanDoCount] = {
    "sendVstEvents",       "sendVstMidiEvent",    "sendVstTimeInfo",
    "receiveVstEvents",    "receiveVstMidiEvent", "sizeWindow",
    "supplyIdle",          "sendVstMidiEventFlagIsRealtime"};
uint32_t gUnansweredOpcodes[2] = {};
uint32_t gPendingNeedIdle = 0;
uint32_t gDeferredPluginIdle = 0;

namespace {
thread_local EngineChannel* tRenderChannel = nullptr;
}  // namespace

VstIntPtr HandleAudioMasterCall(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }
PluginInstance* FindInstanceForEffect(AEffect*) { return nullptr; }
Handle FindRackForEffect(AEffect*, int32_t* position) {
  if (position) *position = -1;
  return Handle();
}
void MarkPluginDisplayDirty(PluginInstance*, int32_t) {}
void MarkPluginDisplayDirtyAlways(PluginInstance*, int32_t) {}
void RefreshVstParameterCount(PluginInstance*) {}
void StorePluginRenderChannel(EngineChannel* channel) { tRenderChannel = channel; }
EngineChannel* GetPluginRenderChannel() { return tRenderChannel; }
void RunDeferredPluginIdle() {}
