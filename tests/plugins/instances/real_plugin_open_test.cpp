// Opening installed VST plug-ins (an lsp effect, the DPF synth Kars) and our own Clickvox
// through OpenPluginInstance with the platform loader: what the record takes from each,
// rate and block-size changes, resume and suspend, and closing leaves no record.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/vst/vst_loader.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/library/plugin_table.h"

namespace {

struct RealPlugin {
  const char* path;
  bool instrument;
};

void PrintTo(const RealPlugin& plugin, std::ostream* out) { *out << plugin.path; }

class RealPluginOpenTest : public ::testing::TestWithParam<RealPlugin> {
 protected:
  void SetUp() override {
    ResetPluginTable();
    PluginInfo info;
    info.kind = kPluginKindVstBundle;
    index_ = AppendPluginInfo(info);
    records_ = CountPluginInstanceRecords();
    ASSERT_EQ(noErr, LoadVstModule(GetParam().path, &module_)) << GetVstLoadMessage();
    entry_ = FindVstEntryPoint(module_);
    ASSERT_NE(nullptr, entry_);
    handles_ = CountLiveHandles();
  }
  void TearDown() override {
    ReleaseChainPlugins(head_);
    EXPECT_EQ(records_, CountPluginInstanceRecords());
    EXPECT_EQ(handles_, CountLiveHandles()) << "handles left behind";
    if (module_) UnloadVstModule(module_);
  }
  uint32_t Open(double rate) {
    OSErr err = 1;
    uint32_t id = OpenPluginInstance(entry_, 512, &head_, index_, 0, PluginInfoAt(index_),
                                     kOpenQuietly, nullptr, rate, &err);
    EXPECT_EQ(noErr, err);
    return id;
  }

  uint32_t module_ = 0;
  VstPluginMainProc entry_ = nullptr;
  int32_t index_ = 0;
  int32_t records_ = 0;
  uint32_t handles_ = 0;
  uint32_t head_ = 0;
};

TEST_P(RealPluginOpenTest, TheRecordTakesThePluginsCountsIdAndKind) {
  uint32_t id = Open(48000.0);
  ASSERT_NE(0u, id);
  PluginInstance* p = GetChainPlugin(head_, 0);
  ASSERT_NE(nullptr, p);
  AEffect* e = p->effect;
  ASSERT_NE(nullptr, e);
  EXPECT_EQ(uint32_t(e->uniqueID), id);
  EXPECT_EQ(uint32_t(std::min(e->numInputs, 32)), p->inputChannels);
  EXPECT_EQ(uint32_t(std::min(e->numOutputs, 32)), p->outputChannels);
  EXPECT_EQ(uint32_t(e->numParams), p->parameterCount);
  EXPECT_EQ(uint32_t(e->numPrograms), p->programCount);
  EXPECT_EQ(uint32_t(std::max(e->initialDelay, 0)), p->latency);
  EXPECT_EQ(1, p->useCount);
  EXPECT_EQ(48000.0f, p->sampleRate);
  EXPECT_EQ(512u, p->maxFrames);
  EXPECT_EQ(GetParam().instrument, IsInstrumentPlugin(p) || p->receivesMidi);
  EXPECT_EQ(GetParam().instrument, FindInstrumentInChain(head_) == p);
  EXPECT_EQ(GetParam().instrument ? 0 : 1, e->numInputs > 0 ? 1 : 0);
  EXPECT_EQ(p->receivesMidi != 0, ChainReceivesMidi(head_) == 1);
}

TEST_P(RealPluginOpenTest, RateBlockResumeRenderAndSuspend) {
  ASSERT_NE(0u, Open(44100.0));
  PluginInstance* p = GetChainPlugin(head_, 0);
  ASSERT_EQ(noErr, SetPluginSampleRate(p, 96000.0));
  ASSERT_EQ(noErr, SetPluginMaxFrames(p, 256));
  EXPECT_EQ(96000.0f, p->sampleRate);
  EXPECT_EQ(256u, p->maxFrames);
  ResumePlugin(p, 1);
  // A resumed plug-in renders a block (its own tables, sized by its counts).
  AEffect* e = p->effect;
  std::vector<std::vector<float>> in(size_t(e->numInputs), std::vector<float>(256));
  std::vector<std::vector<float>> out(size_t(e->numOutputs), std::vector<float>(256, 9.0f));
  for (auto& channel : in)
    for (size_t i = 0; i < channel.size(); ++i) channel[i] = float(i) / 256.0f - 0.5f;
  std::vector<float*> inputs, outputs;
  for (auto& c : in) inputs.push_back(c.data());
  for (auto& c : out) outputs.push_back(c.data());
  ASSERT_NE(nullptr, e->processReplacing);
  e->processReplacing(e, inputs.data(), outputs.data(), 256);
  for (auto& c : out)
    for (float v : c) ASSERT_TRUE(v > -4.0f && v < 4.0f) << v;
  SuspendPlugin(p);
  head_ = RemoveChainPlugin(head_, nullptr, 0, 0);
  EXPECT_EQ(0u, head_);
  EXPECT_EQ(records_, CountPluginInstanceRecords());
}

INSTANTIATE_TEST_SUITE_P(
    Installed, RealPluginOpenTest,
    ::testing::Values(RealPlugin{"/usr/lib/vst/lsp-plugins/comp-delay-stereo.so", false},
                      RealPlugin{"/usr/lib/vst/Kars-vst.so", true},
                      RealPlugin{CLICKVOX_PATH, true}),
    [](const testing::TestParamInfo<RealPlugin>& info) {
      std::string path = info.param.path;
      std::string name = path.substr(path.rfind('/') + 1);
      name = name.substr(0, name.find('.'));
      name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return !isalnum(c); }),
                 name.end());
      return name;
    });

}  // namespace
