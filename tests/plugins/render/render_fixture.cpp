#include "tests/plugins/render/render_fixture.h"

#include <filesystem>

#include "platform/vst/vst_loader.h"

namespace render_test {

namespace {

std::string gDirectory;

VstIntPtr TestCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
    case kAudioMasterVersion: return kVstVersion;
    case kAudioMasterGetDirectory: return reinterpret_cast<VstIntPtr>(gDirectory.c_str());
    case kAudioMasterGetSampleRate: return VstIntPtr(kTestRate);
    case kAudioMasterGetBlockSize: return 1024;
    default: return 0;
  }
}

void ProbeCall(AEffect* e, float** inputs, float** outputs, VstInt32 frames, bool add) {
  auto* p = static_cast<ProbeEffect*>(e->object);
  ++p->calls;
  p->firstInputs.assign(size_t(e->numInputs), 0.0f);
  for (int32_t i = 0; i < e->numInputs; ++i) p->firstInputs[size_t(i)] = inputs[i][0];
  p->outputsSeen.assign(outputs, outputs + e->numOutputs);
  for (int32_t c = 0; c < e->numOutputs; ++c)
    for (int32_t f = 0; f < frames; ++f) {
      float v = p->base + float(c) + float(f) * p->step;
      if (p->addInput && c < e->numInputs) v += inputs[c][f];
      outputs[c][f] = add ? outputs[c][f] + v : v;
    }
}

void ProbeReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
  ProbeCall(e, inputs, outputs, frames, false);
}
void ProbeAccumulating(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
  ProbeCall(e, inputs, outputs, frames, true);
}
VstIntPtr ProbeDispatcher(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

}  // namespace

std::string ClickvoxPath() { return CLICKVOX_PATH; }

PluginInstance* OpenTestPlugin(const std::string& path, float rate, int32_t blockSize) {
  gDirectory = std::filesystem::path(path).parent_path().string();
  uint32_t module = 0;
  if (LoadVstModule(path.c_str(), &module) != noErr) return nullptr;
  VstPluginMainProc entry = FindVstEntryPoint(module);
  AEffect* e = entry ? CallVstEntryPoint(entry, TestCallback) : nullptr;
  if (!e) return nullptr;
  e->dispatcher(e, kEffOpen, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, kEffSetSampleRate, 0, 0, nullptr, rate);
  e->dispatcher(e, kEffSetBlockSize, 0, blockSize, nullptr, 0.0f);
  e->dispatcher(e, kEffMainsChanged, 0, 1, nullptr, 0.0f);
  PluginInstance* p = NewPluginInstanceRecord();
  p->effect = e;
  p->inputChannels = uint32_t(e->numInputs);
  p->outputChannels = uint32_t(e->numOutputs);
  p->receivesMidi = 1;
  p->userWord = module;
  return p;
}

void CloseTestPlugin(PluginInstance* p) {
  if (!p) return;
  p->effect->dispatcher(p->effect, kEffMainsChanged, 0, 0, nullptr, 0.0f);
  p->effect->dispatcher(p->effect, kEffClose, 0, 0, nullptr, 0.0f);
  UnloadVstModule(p->userWord);
  FreePluginInstanceRecord(p);
}

std::string ParameterDisplay(PluginInstance* p, int32_t index) {
  char text[256] = {};
  p->effect->dispatcher(p->effect, kEffGetParamDisplay, index, 0, text, 0.0f);
  return text;
}

std::string ParameterName(PluginInstance* p, int32_t index) {
  char text[256] = {};
  p->effect->dispatcher(p->effect, kEffGetParamName, index, 0, text, 0.0f);
  return text;
}

ProbeEffect* NewProbeEffect(int32_t inputs, int32_t outputs, bool replacing) {
  auto* probe = new ProbeEffect();
  AEffect& e = probe->effect;
  e.magic = kEffectMagic;
  e.dispatcher = ProbeDispatcher;
  e.process = ProbeAccumulating;
  e.processReplacing = replacing ? ProbeReplacing : nullptr;
  e.numInputs = inputs;
  e.numOutputs = outputs;
  e.flags = replacing ? kEffFlagsCanReplacing : 0;
  e.object = probe;
  return probe;
}

PluginInstance* NewProbeInstance(ProbeEffect* probe) {
  PluginInstance* p = NewPluginInstanceRecord();
  if (!p) return nullptr;
  p->effect = &probe->effect;
  p->inputChannels = uint32_t(probe->effect.numInputs);
  p->outputChannels = uint32_t(probe->effect.numOutputs);
  p->receivesMidi = 1;
  return p;
}

void DisposeProbe(PluginInstance* instance, ProbeEffect* probe) {
  if (instance) FreePluginInstanceRecord(instance);
  delete probe;
}

PluginInstance* LinkChain(const std::vector<PluginInstance*>& plugins) {
  for (size_t i = 0; i < plugins.size(); ++i) plugins[i]->next = i + 1 < plugins.size() ? plugins[i + 1]->id : 0;
  return plugins.empty() ? nullptr : plugins[0];
}

}  // namespace render_test
