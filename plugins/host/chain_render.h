// Rendering through plug-ins: one insert chain of PluginInstance records turned into audio
// once per engine block. The signal passes from plug-in to plug-in by swapping pointers between
// the engine's two scratch tables (gRenderBuffers.chain and .second); each plug-in is called the
// way its kind needs (VST processReplacing or process, a component's render per output bus).
// Samples are non-interleaved f32 throughout.
//
// Engine thread (or the device's IO thread when the engine mixes inline) only: nothing here
// allocates, locks or waits; the main thread changes a chain only with the engine stopped.
#pragma once

#include <cstdint>

#include "platform/audiounit/audio_unit.h"

struct PluginInstance;
struct EngineChannel;

// The largest block a chain renders in one call (frames); longer blocks are cut to it.
constexpr int32_t kMaxChainRenderFrames = 8192;
// Pointer tables handed to one VST call: sized for the most channels a plug-in may declare.
constexpr int32_t kMaxVstCallChannels = 128;

// Renders the chain from `first` along the `next` links. inputs and outputs are tables of
// kRenderBufferCount (32) entries; inputs holds the incoming signal of `channels` channels (a
// null entry is silence). *rendered becomes 1 when any plug-in produced output or passed its
// input on. On return inputs[0] and inputs[1] point at the chain's output (left, right).
void RenderInsertChain(PluginInstance* first, float** inputs, float** outputs, int32_t frames,
                       int32_t channels, uint8_t* rendered);

// Renders one plug-in into outputCount output buffers.
void RenderPlugin(PluginInstance* instance, float** inputs, float** outputs, int32_t frames,
                  int32_t outputCount);

// Component render, one call per output bus (disabled buses and failing buses are cleared; a
// failure is latched as the engine's error).
void RenderAudioUnit(PluginInstance* instance, float** outputs, int32_t frames, int32_t outputCount);
// The older interleaved render: per bus one block of min(outputs, 2) channels split into the
// bus's buffers (the first buffer of a bus must hold frames x 2 samples).
void RenderAudioUnitSlice(PluginInstance* instance, float** outputs, int32_t frames, int32_t outputCount);

// The input callbacks of component effects (reference value: the instance).
OSStatus ProvideRenderInput(void* reference, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                            uint32_t bus, uint32_t frames, AudioBufferList* data);
OSStatus ProvideInterleavedInput(void* reference, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                                 uint32_t bus, uint32_t frames, AudioBufferList* data);
// Installs (install true) or removes the input callbacks of a component instance; the first
// failure while installing is answered, failures while removing are ignored. Main thread.
OSStatus InstallInputCallbacks(PluginInstance* instance, bool install);

// A render request of the output path (engine message code 7): the instance and its output
// buffers, rendered outside any chain for the request channel's block.
struct PluginRenderRequest {
  uint32_t instanceId = 0;
  float** outputs = nullptr;
  int32_t outputCount = 2;
  int32_t frames = 0;
};
// Serves a request (PluginRenderRequest*); 0, or -50 for a request without an instance.
int32_t RenderPluginRequest(void* request);

