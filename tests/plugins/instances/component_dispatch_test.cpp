// Components through their fast-dispatch procedures and the older interface: the procedures
// fetched at open, a version-1 unit (kinds 5 and 6) rendering through render slices with its
// input from the interleaved input callback, and parameter events scheduled from automation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/engine/engine_plugin_hooks.h"
#include "platform/audiounit/audio_unit.h"
#include "plugins/host/chain_render.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_render_hooks.h"
#include "plugins/library/plugin_table.h"
#include "tests/plugins/instances/chain_fixture.h"
#include "tests/plugins/instances/component_entry.h"

namespace {

using instances_test::kDelayName;
using instances_test::kSamplerName;

using instances_test::AppendComponentEntry;

constexpr int32_t kFrames = 256;

class ComponentDispatchTest : public ChainLeakTest {
 protected:
  void SetUp() override {
    ResetPluginTable();
    AppendPluginInfo(PluginInfo());
    CountOpenState();
  }
  PluginInstance* Open(const char* name, uint8_t kind) {
    int32_t index = AppendComponentEntry(name, kind, FourCC("tst1"));
    if (index < 0) return nullptr;
    uint32_t before = head_;
    OSErr err = 1;
    OpenPluginInstance(nullptr, 512, &head_, index, 0, PluginInfoAt(index), kOpenQuietly, nullptr, 48000.0, &err);
    EXPECT_EQ(noErr, err);
    return GetChainPlugin(head_, before == 0 ? 0 : CountChainPlugins(head_) - 1);
  }
  // The delay: 37 samples, wet only, unity gain (the default is silence).
  void SetDelay(PluginInstance* p) {
    const struct { const char* name; float value; } kSettings[] = {
        {"Samples", 37.0f}, {"Dry amount", 0.0f}, {"Wet amount", 1.0f}, {"Output gain", 1.0f}};
    for (const auto& setting : kSettings) {
      for (uint32_t i = 0; i < p->parameterCount; ++i) {
        AudioUnitParameterInfo info{};
        uint32_t size = sizeof info;
        AudioUnitGetProperty(p->unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, p->parameterIds[i],
                             &info, &size);
        ReleaseParameterInfoName(&info);
        if (std::strcmp(info.name, setting.name) == 0)
          AudioUnitSetParameter(p->unit, p->parameterIds[i], kAudioUnitScope_Global, 0, setting.value, 0);
      }
    }
  }
  // A ramp through the plug-in alone; its first output channel.
  std::vector<float> RenderRamp(PluginInstance* p) {
    std::vector<float> in(kFrames), out(kFrames * 2, 99.0f), spare(kFrames * 2);
    for (int32_t i = 0; i < kFrames; ++i) in[size_t(i)] = float(i + 1) / kFrames;
    float* inputs[kMaxPluginChannels] = {in.data(), in.data()};
    float* outputs[kMaxPluginChannels] = {out.data(), spare.data()};
    p->enabledOutputs = 1;  // as a chain gives it
    RenderPlugin(p, inputs, outputs, kFrames, int32_t(p->outputChannels));
    out.resize(kFrames);
    return out;
  }
};

TEST_F(ComponentDispatchTest, TheFastProceduresAreFetchedAtOpen) {
  PluginInstance* effect = Open(kDelayName, kPluginKindAuEffect);
  if (effect == nullptr) GTEST_SKIP() << kDelayName << " is not installed";
  EXPECT_NE(nullptr, effect->renderProc);
  EXPECT_NE(nullptr, effect->dispatchStorage);
  EXPECT_EQ(nullptr, effect->midiProc) << "an effect takes no MIDI";
  PluginInstance* synth = Open(kSamplerName, kPluginKindAuMusic);
  if (synth == nullptr) GTEST_SKIP() << kSamplerName << " is not installed";
  EXPECT_NE(nullptr, synth->midiProc);
  EXPECT_EQ(noErr, synth->midiProc(synth->dispatchStorage, 0x90, 60, 100, 0));
}

TEST_F(ComponentDispatchTest, AVersionOneUnitRendersSlicesFromItsInterleavedInput) {
  PluginInstance* current = Open(kDelayName, kPluginKindAuEffect);
  if (current == nullptr) GTEST_SKIP() << kDelayName << " is not installed";
  PluginInstance* old = Open(kDelayName, kPluginKindAuV1Effect);
  ASSERT_NE(nullptr, old);
  EXPECT_EQ(0u, old->description.componentFlags) << "generation 0";
  SetDelay(current);
  SetDelay(old);
  ResumePlugin(current, 1);
  ResumePlugin(old, 1);
  AURenderCallbackStruct input{}, render{};
  uint32_t size = sizeof input;
  ASSERT_EQ(noErr, AudioUnitGetProperty(old->unit, kAudioUnitProperty_SetInputCallback, kAudioUnitScope_Input, 0,
                                        &input, &size));
  EXPECT_EQ(ProvideInterleavedInput, input.inputProc);
  size = sizeof render;
  AudioUnitGetProperty(old->unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &render, &size);
  EXPECT_EQ(nullptr, render.inputProc) << "not the version-2 callback";

  std::vector<float> expected = RenderRamp(current);
  std::vector<float> got = RenderRamp(old);
  bool sounds = false;
  for (float v : expected) sounds = sounds || v != 0.0f;
  ASSERT_TRUE(sounds) << "the ramp must come through";
  EXPECT_EQ(0.0f, expected[36]);
  EXPECT_FLOAT_EQ(1.0f / kFrames, expected[37]) << "the ramp, 37 samples late";
  EXPECT_EQ(expected, got);
  SuspendPlugin(old);
  SuspendPlugin(current);
}

TEST_F(ComponentDispatchTest, AutomationSchedulesEventsOnlyForAComponent) {
  InstallPluginRenderHooks();
  PluginInstance* p = Open(kDelayName, kPluginKindAuEffect);
  if (p == nullptr) GTEST_SKIP() << kDelayName << " is not installed";
  struct {
    uint32_t count;
    AudioUnitParameterEvent events[2];
  } list{};
  list.count = 1;
  list.events[0].eventType = kParameterEvent_Immediate;
  list.events[0].parameter = 0;
  list.events[0].eventValues.immediate.value = 1.0f;
  EXPECT_EQ(0, SchedulePluginParameterRamps(p, reinterpret_cast<Ptr>(&list)));
  EXPECT_EQ(0u, list.count) << "the list is taken";
  EXPECT_EQ(1, p->notifyPending);
  EXPECT_EQ(p->parameterIds[0], p->pendingParameter);
  EXPECT_FLOAT_EQ(1.0f, GetPluginParameterChecked(p, 0));
  FlushParameterNotify(p);

  int32_t notAnInstance = 0;
  list.count = 1;
  EXPECT_NE(0, SchedulePluginParameterRamps(&notAnInstance, reinterpret_cast<Ptr>(&list)));
  EXPECT_EQ(1u, list.count) << "left to be set value by value";
}

}  // namespace
