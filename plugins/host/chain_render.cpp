#include "plugins/host/chain_render.h"

#include "plugins/host/plugin_instance.h"

void RenderInsertChain(PluginInstance*, float**, float**, int32_t, int32_t, uint8_t*) {}
void RenderPlugin(PluginInstance*, float**, float**, int32_t, int32_t) {}
void RenderAudioUnit(PluginInstance*, float**, int32_t, int32_t) {}
void RenderAudioUnitSlice(PluginInstance*, float**, int32_t, int32_t) {}
OSStatus ProvideRenderInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t, uint32_t,
                            AudioBufferList*) {
  return 0;
}
OSStatus ProvideInterleavedInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t, uint32_t,
                                 AudioBufferList*) {
  return 0;
}
OSStatus InstallInputCallbacks(PluginInstance*, bool) { return 0; }
int32_t RenderPluginRequest(void*) { return 0; }
