// Stub bodies while the instance code is written.
#include "plugins/host/plugin_instances.h"

int16_t gRenderQualityIndex = 0;

uint32_t OpenPluginInstance(VstPluginMainProc, uint32_t, uint32_t*, int32_t, int32_t, PluginInfo*,
                            uint32_t, AEffect*, double, OSErr* error) {
  if (error) *error = kPluginOpenFailedErr;
  return 0;
}
OSErr OpenAudioUnitInstance(PluginInstance*, AEffect*, int32_t, uint32_t, uint32_t, PluginInfo*,
                            double) { return kAudioUnitNotFoundErr; }
void DisposePluginInstance(PluginInstance*) {}
OSStatus SetPluginSampleRate(PluginInstance*, double) { return noErr; }
OSStatus SetPluginMaxFrames(PluginInstance*, uint32_t) { return noErr; }
void ResumePlugin(PluginInstance*, int32_t) {}
void SuspendPlugin(PluginInstance*) {}
void GetPluginChannelCounts(const PluginInstance*, int32_t* i, int32_t* o) { *i = *o = 0; }
void GetPluginProgramCounts(const PluginInstance*, int32_t* p, int32_t* q) { *p = *q = 0; }
int32_t AccessPluginFormat(PluginInstance*, int32_t, uint32_t*, uint32_t*, uint32_t*) { return 0; }
void AppendToChain(uint32_t*, PluginInstance*) {}
void AddPluginUse(PluginInstance*, int32_t) {}
void SetInstanceDevice(PluginInstance*, int32_t, uint8_t) {}
OSStatus AccessSoundBank(PluginInstance*, int32_t, void*) { return noErr; }
OSStatus GetAUParameterInfo(PluginInstance*, void*, int32_t) { return -10867; }
void ReleaseAUParameterInfo(void*) {}
OSStatus GetFactoryPreset(PluginInstance*, int32_t, int32_t* n, StringPtr name) {
  *n = -1;
  if (name) name[0] = 0;
  return noErr;
}
void RefreshFactoryPresets(PluginInstance*) {}
void* MakeCfmGlue(void*) { return nullptr; }
void* MakeTransitionVector(void*) { return nullptr; }
void DisposeCfmGlue(void*) {}
