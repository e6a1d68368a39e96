#include "tests/plugins/vsthost/vst_test_instance.h"

#include <cstring>
#include <vector>

#include "platform/vst/vst_loader.h"
#include "platform/vst/vst_records.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_host_callback.h"
#include "plugins/library/plugin_table.h"

namespace vsthost_test {

TestVstInstance::TestVstInstance(const std::string& path, float rate, int32_t block) {
  PluginInfo info;
  info.kind = kPluginKindVstBundle;
  std::strncpy(info.path, path.c_str(), sizeof info.path - 1);
  tableIndex_ = AppendPluginInfo(info);
  if (tableIndex_ < 0 || LoadVstModule(path.c_str(), &module_) != noErr) return;
  VstPluginMainProc entry = FindVstEntryPoint(module_);
  if (entry == nullptr) return;
  gOpeningPlugin = kOpeningPluginPending;
  AEffect* effect = CallVstEntryPoint(entry, HandleAudioMasterCall);
  gOpeningPlugin = 0;
  if (effect == nullptr) return;
  instance_ = NewPluginInstanceRecord();
  instance_->effect = effect;
  instance_->tableIndex = uint32_t(tableIndex_);
  instance_->openFlags = kPluginOpenVst;
  instance_->parameterCount = uint32_t(effect->numParams);
  instance_->programCount = uint32_t(effect->numPrograms);
  instance_->outputCount = uint8_t(effect->numOutputs);
  CallVstDispatcher(instance_, kEffOpen, 0, 0, nullptr, 0.0f);
  CallVstDispatcher(instance_, kEffSetSampleRate, 0, 0, nullptr, rate);
  CallVstDispatcher(instance_, kEffSetBlockSize, 0, block, nullptr, 0.0f);
  CallVstDispatcher(instance_, kEffMainsChanged, 0, 1, nullptr, 0.0f);
  gOpeningPlugin = 0;
}

TestVstInstance::~TestVstInstance() {
  if (instance_ != nullptr) {
    CallVstDispatcher(instance_, kEffMainsChanged, 0, 0, nullptr, 0.0f);
    CallVstDispatcher(instance_, kEffClose, 0, 0, nullptr, 0.0f);
    gOpeningPlugin = 0;
    delete[] instance_->parameterMinimum;
    delete[] instance_->parameterMaximum;
    delete[] instance_->parameterUnit;
    FreePluginInstanceRecord(instance_);
  }
  if (module_) UnloadVstModule(module_);
}

void TestVstInstance::SendMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof event;
  event.deltaFrames = deltaFrames;
  event.midiData[0] = char(status);
  event.midiData[1] = char(data1);
  event.midiData[2] = char(data2);
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&event);
  CallVstDispatcher(instance_, kEffProcessEvents, 0, 0, &events, 0.0f);
  gOpeningPlugin = 0;
}

std::vector<float> TestVstInstance::Render(int32_t frames) {
  AEffect* e = effect();
  int32_t ins = e->numInputs > 2 ? e->numInputs : 2, outs = e->numOutputs > 2 ? e->numOutputs : 2;
  std::vector<float> zeros(static_cast<size_t>(frames));
  std::vector<std::vector<float>> in(static_cast<size_t>(ins), zeros);
  std::vector<std::vector<float>> out(static_cast<size_t>(outs), zeros);
  for (auto& channel : in)
    for (int32_t f = 0; f < frames; ++f) channel[size_t(f)] = 0.5f * float(f % 64) / 64.0f;
  std::vector<float*> inPointers, outPointers;
  for (auto& channel : in) inPointers.push_back(channel.data());
  for (auto& channel : out) outPointers.push_back(channel.data());
  gOpeningPlugin = instance_->id;
  e->processReplacing(e, inPointers.data(), outPointers.data(), frames);
  gOpeningPlugin = 0;
  return out[0];
}

}  // namespace vsthost_test
