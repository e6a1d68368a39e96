// A real VST plug-in opened the way the host opens one, for the host tests: its entry point
// is called with the host's own callback while no instance exists, then an instance record
// takes the effect and the plug-in is opened, set to a rate and block size and switched on.
// The plug-in's entry in the table of plug-ins names its file.
#pragma once

#include <string>
#include <vector>

#include "plugins/host/plugin_instance.h"

namespace vsthost_test {

constexpr const char* kLspCompressor = "/usr/lib/vst/lsp-plugins/compressor-stereo.so";
constexpr const char* kDpfBitcrush = "/usr/lib/vst/MaBitcrush-vst.so";
constexpr const char* kDpfSynth = "/usr/lib/vst/Kars-vst.so";

class TestVstInstance {
 public:
  explicit TestVstInstance(const std::string& path, float rate = 44100.0f, int32_t block = 256);
  ~TestVstInstance();
  TestVstInstance(const TestVstInstance&) = delete;
  TestVstInstance& operator=(const TestVstInstance&) = delete;

  bool ok() const { return instance_ != nullptr; }
  PluginInstance* instance() const { return instance_; }
  AEffect* effect() const { return instance_ ? instance_->effect : nullptr; }
  int32_t tableIndex() const { return tableIndex_; }
  // Hands the plug-in one MIDI message at a frame offset of the next block.
  void SendMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames = 0);
  // One block through processReplacing of a stereo ramp; the left output.
  std::vector<float> Render(int32_t frames);

 private:
  PluginInstance* instance_ = nullptr;
  uint32_t module_ = 0;
  int32_t tableIndex_ = -1;
};

}  // namespace vsthost_test
