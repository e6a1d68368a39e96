// Plug-ins for the render tests: real VST 2 shared objects opened into instance records with a
// small host callback of the test's own (the host's opening path is tested elsewhere), and
// in-process plug-ins whose process routines record what the host handed them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vst/vst_interface.h"
#include "plugins/host/plugin_instance.h"

namespace render_test {

constexpr float kTestRate = 44100.0f;

// The built Clickvox and the folder that holds it with its samples.
std::string ClickvoxPath();

// A VST shared object opened, resumed at rate and block size, in a new instance record (null
// when it cannot be loaded). Close with CloseTestPlugin.
PluginInstance* OpenTestPlugin(const std::string& path, float rate = kTestRate, int32_t blockSize = 1024);
void CloseTestPlugin(PluginInstance* instance);
// A parameter's display text as the plug-in shows it.
std::string ParameterDisplay(PluginInstance* instance, int32_t index);
std::string ParameterName(PluginInstance* instance, int32_t index);

// An in-process plug-in: each output channel c of a call holds base + c + frame index x step
// (written over or added to the output, as the plug-in's process routine does), and the call
// records the first sample of every input and whether each output pointer was distinct.
struct ProbeEffect {
  AEffect effect{};
  float base = 1.0f;
  float step = 0.0f;
  bool addInput = false;          // output c also gets input c (an effect)
  std::vector<float> firstInputs; // the last call's first input samples
  std::vector<float*> outputsSeen;
  int32_t calls = 0;
};

// A probe with these channel counts; replacing false leaves only the accumulating process.
ProbeEffect* NewProbeEffect(int32_t inputs, int32_t outputs, bool replacing = true);
// An instance record for it (its counts, MIDI taken), or null.
PluginInstance* NewProbeInstance(ProbeEffect* probe);
void DisposeProbe(PluginInstance* instance, ProbeEffect* probe);

// Links instances into a chain in the given order; the head.
PluginInstance* LinkChain(const std::vector<PluginInstance*>& plugins);

}  // namespace render_test
