#include "tests/click/clickvox_test_host.h"

#include <dlfcn.h>

#include <filesystem>
#include <map>

#include "click/click_aiff_writer.h"
#include "platform/memory/byte_order.h"
#include "tests/test_support.h"

TestHostState gTestHost;

VstIntPtr TestHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  gTestHost.requests.push_back(opcode);
  if (opcode == kAudioMasterVersion) return gTestHost.version;
  if (opcode == kAudioMasterGetDirectory && gTestHost.answerDirectory)
    return reinterpret_cast<VstIntPtr>(gTestHost.directory.c_str());
  return 0;
}

VstPluginMainProc LoadClickvoxMain(const std::string& path) {
  static std::map<std::string, void*> loaded;  // kept open for the whole test program
  void*& library = loaded[path];
  if (!library) library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  return reinterpret_cast<VstPluginMainProc>(dlsym(library, kVstPluginMainName));
}

std::string ClickvoxFolder() { return std::filesystem::path(CLICKVOX_PATH).parent_path(); }

size_t CountRequests(VstInt32 opcode) {
  size_t n = 0;
  for (VstInt32 r : gTestHost.requests) n += r == opcode;
  return n;
}

ClickvoxInstance::ClickvoxInstance(const std::string& path) {
  VstPluginMainProc main = LoadClickvoxMain(path);
  if (main) effect_ = main(TestHostCallback);
}

ClickvoxInstance::~ClickvoxInstance() {
  if (effect_) effect_->dispatcher(effect_, kEffClose, 0, 0, nullptr, 0.0f);
}

VstIntPtr ClickvoxInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                     void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void ClickvoxInstance::SendMidi(uint8_t status, uint8_t data1, uint8_t data2,
                                VstInt32 deltaFrames) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof event;
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&event);
  Dispatch(kEffProcessEvents, 0, 0, &events);
}

std::vector<float> ClickvoxInstance::Replace(size_t frames, float fill) {
  std::vector<float> out(frames, fill);
  float* outputs[1] = {out.data()};
  effect_->processReplacing(effect_, nullptr, outputs, static_cast<VstInt32>(frames));
  return out;
}

std::vector<float> ClickvoxInstance::Accumulate(size_t frames, float fill) {
  std::vector<float> out(frames, fill);
  float* outputs[1] = {out.data()};
  effect_->process(effect_, nullptr, outputs, static_cast<VstInt32>(frames));
  return out;
}

std::vector<float> ClickvoxInstance::ReplaceFrames(size_t total, size_t block) {
  std::vector<float> all;
  while (all.size() < total) {
    std::vector<float> part = Replace(std::min(block, total - all.size()));
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

void WriteClickFile(const std::string& path, const std::vector<int16_t>& samples, double rate) {
  std::vector<uint8_t> data(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) WriteI16BE(&data[2 * i], samples[i]);
  ClickAiffFormat format;
  format.sampleRate = rate;
  format.frames = static_cast<uint32_t>(samples.size());
  std::vector<uint8_t> file = BuildClickAiff(format, data.data(), data.size());
  zarin_test::WriteWholeFile(path, std::string(file.begin(), file.end()));
}

std::vector<int16_t> RampSamples(size_t frames, int sign) {
  std::vector<int16_t> samples(frames);
  for (size_t i = 0; i < frames; ++i) samples[i] = static_cast<int16_t>(sign * (2 * int(i) + 2));
  return samples;
}
