#include "plugins/host/chain_render.h"

#include <cstring>

#include "audio/engine/engine_channels.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/vst_dispatch.h"

namespace {

constexpr OSStatus kNoSuchInput = -50;
constexpr uint32_t kTimeStampSampleTimeValid = 1;
constexpr int32_t kMaxBuffersPerBus = 32;

// What a VST call gets for the channels it declares beyond the tables: inputs read silence,
// outputs write into a buffer nobody reads.
float gSilentInput[kMaxChainRenderFrames];
float gDiscardOutput[kMaxChainRenderFrames];
// A version-1 unit renders a bus interleaved; the scratch buffers hold one block of one
// channel, so the slice goes here and is split into them. Engine thread only.
constexpr int32_t kSliceChannels = 2;
float gSliceBlock[kMaxChainRenderFrames * kSliceChannels];

// An AudioBufferList with room for one bus's buffers, on the stack.
struct BusBufferList {
  UInt32 mNumberBuffers = 0;
  AudioBuffer mBuffers[kMaxBuffersPerBus];
};
static_assert(offsetof(BusBufferList, mBuffers) == offsetof(AudioBufferList, mBuffers));

AudioBufferList* AsList(BusBufferList* list) { return reinterpret_cast<AudioBufferList*>(list); }

void ClearBuffer(float* buffer, int32_t frames) {
  if (buffer) std::memset(buffer, 0, size_t(frames) * sizeof(float));
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return value < low ? low : value > high ? high : value; }

bool IsVersionTwo(const PluginInstance* p) { return p->description.componentFlags == 2; }

OSStatus CallRender(PluginInstance* p, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* stamp, uint32_t bus,
                    int32_t frames, AudioBufferList* list) {
  if (p->renderProc) return p->renderProc(p->dispatchStorage, flags, stamp, bus, UInt32(frames), list);
  if (IsVersionTwo(p)) return AudioUnitRender(p->unit, flags, stamp, bus, UInt32(frames), list);
  return AudioUnitRenderSlice(p->unit, flags, stamp, bus, UInt32(frames), list);
}

bool IsFormatConverter(const PluginInstance* p) {
  return p->description.componentType == kAudioUnitType_FormatConverter;
}

int32_t InputCount(const PluginInstance* p) {
  return p->effect ? Clamp(p->effect->numInputs, 0, kMaxVstCallChannels) : int32_t(p->inputChannels);
}

int32_t OutputCount(const PluginInstance* p) {
  return p->effect ? Clamp(p->effect->numOutputs, 0, kMaxVstCallChannels) : int32_t(p->outputChannels);
}


// A bypassed plug-in. One with inputs hands its input on; one without (an instrument) is
// silent: its outputs are cleared, so the buffers it would have filled never carry what an
// earlier channel left in them into the next plug-in.
void PassBypassed(PluginInstance* p, float** inputs, float** outputs, int32_t frames, bool last, uint8_t* rendered) {
  int32_t ins = InputCount(p);
  int32_t outs = OutputCount(p);
  if (ins > 0) {
    *rendered = 1;
    outputs[0] = inputs[0];
    outputs[1] = inputs[1];
  } else {
    ClearBuffer(outputs[0], frames);
    if (outputs[1] != outputs[0]) ClearBuffer(outputs[1], frames);
  }
  if (last && outs > 2 && (ins > 0 || *rendered)) {
    ClearBuffer(outputs[2], frames);
    for (int32_t i = 3; i < outs && i < kRenderBufferCount; ++i) outputs[i] = outputs[2];
  }
}

// An instrument behind another source adds that source's first two channels to its output.
void MixBack(float** inputs, float** outputs, int32_t channels, int32_t frames) {
  for (int32_t c = 0; c < channels && c < 2; ++c) {
    const float* in = inputs[c];
    float* out = outputs[c];
    if (!in || !out || in == out) continue;
    for (int32_t i = 0; i < frames; ++i) out[i] += in[i];
  }
}

// The tables as they stand when they cover every channel the plug-in declares.
bool TablesCover(float** inputs, float** outputs, int32_t ins, int32_t outs, int32_t outputCount) {
  if (ins > kRenderBufferCount || outs > kRenderBufferCount || outs > outputCount) return false;
  for (int32_t i = 0; i < ins; ++i)
    if (!inputs[i]) return false;
  for (int32_t i = 0; i < outs; ++i)
    if (!outputs[i]) return false;
  return true;
}

inline __attribute__((always_inline)) void CallVst(AEffect* e, float** in, float** out, int32_t outs,
                                                  int32_t frames) {
  if (e->flags & kEffFlagsCanReplacing) {
    if (e->processReplacing) e->processReplacing(e, in, out, frames);
    return;
  }
  for (int32_t i = 0; i < outs; ++i)
    if (out[i] != gDiscardOutput) ClearBuffer(out[i], frames);
  if (e->process) e->process(e, in, out, frames);
}

// A call whose tables do not cover the plug-in's channels. Pointer tables as long as the
// plug-in's own counts: it indexes every channel it declares. Out of line: its tables would
// weigh on every insert's call otherwise.
__attribute__((noinline)) void RenderVstPadded(AEffect* e, float** inputs, float** outputs, int32_t frames,
                                               int32_t ins, int32_t outs, int32_t outputCount) {
  float* in[kMaxVstCallChannels];
  float* out[kMaxVstCallChannels];
  bool silenceUsed = false;
  for (int32_t i = 0; i < ins; ++i) {
    float* b = i < kRenderBufferCount ? inputs[i] : nullptr;
    if (!b) silenceUsed = true;
    in[i] = b ? b : gSilentInput;
  }
  if (silenceUsed) ClearBuffer(gSilentInput, frames);
  for (int32_t i = 0; i < outs; ++i) {
    float* b = i < outputCount && i < kRenderBufferCount ? outputs[i] : nullptr;
    out[i] = b ? b : gDiscardOutput;
  }
  CallVst(e, in, out, outs, frames);
}

// ins and outs: the plug-in's counts as InputCount and OutputCount give them.
inline void RenderVstCounted(AEffect* e, float** inputs, float** outputs, int32_t frames, int32_t ins,
                             int32_t outs, int32_t outputCount) {
  if (TablesCover(inputs, outputs, ins, outs, outputCount)) CallVst(e, inputs, outputs, outs, frames);
  else RenderVstPadded(e, inputs, outputs, frames, ins, outs, outputCount);
}

AudioTimeStamp NextTimeStamp(PluginInstance* p, int32_t frames) {
  AudioTimeStamp stamp;
  stamp.mSampleTime = p->sampleTime;
  stamp.mFlags = kTimeStampSampleTimeValid;
  p->sampleTime += frames;
  return stamp;
}

}  // namespace

void RenderInsertChain(PluginInstance* first, float** inputs, float** outputs, int32_t frames, int32_t channels,
                       uint8_t* rendered) {
  frames = Clamp(frames, 0, kMaxChainRenderFrames);
  // The scratch tables stay put while a chain renders (they change only with the engine
  // stopped): read once, not after every plug-in call.
  float* const* chainTable = gRenderBuffers.chain;
  float* const* secondTable = gRenderBuffers.second;
  float* const chainLeft = chainTable[0];
  int32_t signal = channels;
  int32_t mixBack = 0;
  for (PluginInstance* p = first; p;) {
    PluginInstance* next = GetPluginInstance(p->next);
    gOpeningPlugin = p->id;
    // The scratch table the signal does not use now: the second table when the input is the
    // chain table's, else the chain table.
    float* const* scratch = inputs[0] != nullptr && inputs[0] == chainLeft ? secondTable : chainTable;
    outputs[0] = scratch[0];
    outputs[1] = scratch[1];
    if (signal <= 1) inputs[1] = inputs[0];
    int32_t ins = InputCount(p);
    int32_t outs = OutputCount(p);
    signal = outs;
    int32_t even = (outs + 1) & ~1;
    for (int32_t i = 2; i < even && i < kRenderBufferCount; ++i) outputs[i] = secondTable[i];
    if (p->bypass && !IsFormatConverter(p)) {
      PassBypassed(p, inputs, outputs, frames, next == nullptr, rendered);
    } else {
      *rendered = 1;
      if (p->effect) RenderVstCounted(p->effect, inputs, outputs, frames, ins, outs, outs);
      else RenderPlugin(p, inputs, outputs, frames, outs);
      if (ins == 0 && mixBack) MixBack(inputs, outputs, mixBack, frames);
    }
    inputs[0] = outputs[0];
    inputs[1] = outputs[1];
    mixBack = p->bypass ? 0 : outs;
    p = next;
  }
  // A mono result feeds both sides: the second entry never keeps a buffer nobody wrote.
  if (first && signal <= 1) inputs[1] = inputs[0];
  gOpeningPlugin = 0;
}

void RenderPlugin(PluginInstance* instance, float** inputs, float** outputs, int32_t frames, int32_t outputCount) {
  if (instance->effect) {
    RenderVstCounted(instance->effect, inputs, outputs, frames, InputCount(instance), OutputCount(instance),
                     outputCount);
    return;
  }
  if (!instance->unit) return;
  instance->inputBufferTable = inputs;
  // Generation 2 renders per bus; the older units (generation 0 or 1) render slices.
  if (IsVersionTwo(instance)) RenderAudioUnit(instance, outputs, frames, outputCount);
  else RenderAudioUnitSlice(instance, outputs, frames, outputCount);
}

void RenderAudioUnit(PluginInstance* instance, float** outputs, int32_t frames, int32_t outputCount) {
  AudioTimeStamp stamp = NextTimeStamp(instance, frames);
  int32_t next = 0;
  uint32_t buses = instance->outputBuses < uint32_t(kMaxPluginBuses) ? instance->outputBuses : kMaxPluginBuses;
  for (uint32_t b = 0; b < buses && next < outputCount; ++b) {
    int32_t n = Clamp(instance->outputBusChannels[b], 0, kMaxBuffersPerBus);
    if (next + n > outputCount) n = outputCount - next;
    bool enabled = (instance->enabledOutputs >> b) & 1;
    if (enabled) {
      BusBufferList list;
      list.mNumberBuffers = UInt32(n);
      for (int32_t i = 0; i < n; ++i) {
        float* b2 = outputs[next + i];
        list.mBuffers[i] = {1, UInt32(frames) * UInt32(sizeof(float)), b2 ? b2 : gDiscardOutput};
      }
      AudioUnitRenderActionFlags flags = 0;
      OSStatus err = CallRender(instance, &flags, &stamp, b, frames, AsList(&list));
      if (err == 0) {
        next += n;
        continue;
      }
      LatchAudioEngineError(int16_t(err));
    }
    for (int32_t i = 0; i < n; ++i) ClearBuffer(outputs[next + i], frames);
    next += n;
  }
}

void RenderAudioUnitSlice(PluginInstance* instance, float** outputs, int32_t frames, int32_t outputCount) {
  int32_t n = Clamp(int32_t(instance->outputChannels), 1, kSliceChannels);
  AudioTimeStamp stamp = NextTimeStamp(instance, frames);
  for (int32_t k = 0; k * n < outputCount; ++k) {
    AudioBufferList list;
    list.mNumberBuffers = 1;
    list.mBuffers[0] = {UInt32(n), UInt32(frames * n) * UInt32(sizeof(float)), gSliceBlock};
    AudioUnitRenderActionFlags flags = 0;
    bool ok = CallRender(instance, &flags, &stamp, uint32_t(k), frames, &list) == 0;
    // The interleaved block into the bus's buffers, the last channel first.
    for (int32_t c = n - 1; c >= 0; --c) {
      if (k * n + c >= outputCount || !outputs[k * n + c]) continue;
      float* out = outputs[k * n + c];
      if (!ok) ClearBuffer(out, frames);
      else for (int32_t i = 0; i < frames; ++i) out[i] = gSliceBlock[i * n + c];
    }
  }
}

OSStatus ProvideRenderInput(void* reference, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t bus,
                            uint32_t, AudioBufferList* data) {
  auto* p = static_cast<PluginInstance*>(reference);
  if (!p || bus >= uint32_t(kMaxPluginBuses)) return kNoSuchInput;
  uint32_t index = 0;
  for (uint32_t b = 0; b < bus; ++b) index += p->inputBusChannels[b];
  uint32_t count = p->inputBusChannels[bus];
  data->mNumberBuffers = count;
  for (uint32_t i = 0; i < count; ++i, ++index) {
    if (index >= p->inputChannels || index >= uint32_t(kRenderBufferCount)) return kNoSuchInput;
    float* in = p->inputBufferTable ? p->inputBufferTable[index] : nullptr;
    data->mBuffers[i].mData = in ? in : gSilentInput;
  }
  return 0;
}

OSStatus ProvideInterleavedInput(void* reference, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t bus,
                                 uint32_t, AudioBufferList* data) {
  auto* p = static_cast<PluginInstance*>(reference);
  if (!p || !p->inputBufferTable) return kNoSuchInput;
  AudioBuffer& buffer = data->mBuffers[0];
  uint32_t c = p->inputChannels;
  if (c <= 1) {
    buffer.mData = bus < uint32_t(kRenderBufferCount) && p->inputBufferTable[bus] ? p->inputBufferTable[bus]
                                                                                    : gSilentInput;
    return 0;
  }
  if (c > uint32_t(kRenderBufferCount)) c = kRenderBufferCount;
  buffer.mNumberChannels = c;
  uint32_t frames = buffer.mDataByteSize / sizeof(float) / c;
  auto* out = static_cast<float*>(buffer.mData);
  for (uint32_t ch = 0; ch < c; ++ch) {
    const float* in = p->inputBufferTable[ch];
    for (uint32_t f = 0; f < frames; ++f) out[f * c + ch] = in ? in[f] : 0.0f;
  }
  return 0;
}

OSStatus InstallInputCallbacks(PluginInstance* instance, bool install) {
  if (!instance || !instance->unit) return 0;
  if (!IsVersionTwo(instance)) {
    AURenderCallbackStruct callback{install ? ProvideInterleavedInput : nullptr, instance};
    OSStatus err = AudioUnitSetProperty(instance->unit, kAudioUnitProperty_SetInputCallback, kAudioUnitScope_Input,
                                        0, &callback, sizeof callback);
    return install ? err : 0;
  }
  AURenderCallbackStruct callback{install ? ProvideRenderInput : nullptr, instance};
  for (uint32_t bus = 0; bus < instance->inputBuses; ++bus) {
    OSStatus err = AudioUnitSetProperty(instance->unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input,
                                        bus, &callback, sizeof callback);
    if (err && install) return err;
  }
  return 0;
}

int32_t RenderPluginRequest(void* request) {
  auto* r = static_cast<PluginRenderRequest*>(request);
  PluginInstance* p = r ? GetPluginInstance(r->instanceId) : nullptr;
  if (!p || !r->outputs) return -50;
  RenderAudioUnit(p, r->outputs, Clamp(r->frames, 0, kMaxChainRenderFrames), r->outputCount);
  return 0;
}
