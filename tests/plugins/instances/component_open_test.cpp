// Opening components (LV2 plug-ins behind the component layer) through OpenPluginInstance:
// the unit found from the table entry, what the record takes from it, rate and block size,
// resume, parameter information, and a component that is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/audiounit/audio_unit.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/library/plugin_table.h"
#include "tests/plugins/instances/chain_fixture.h"
#include "tests/plugins/instances/component_entry.h"

namespace {

using instances_test::kDelayName;
using instances_test::kSamplerName;

using instances_test::AppendComponentEntry;

class ComponentOpenTest : public ChainLeakTest {
 protected:
  void SetUp() override {
    ResetPluginTable();
    AppendPluginInfo(PluginInfo());  // the table exists before the handles are counted
    CountOpenState();
  }
  uint32_t Open(int32_t index, OSErr* err) {
    return OpenPluginInstance(nullptr, 512, &head_, index, 0, PluginInfoAt(index), kOpenQuietly,
                              nullptr, 48000.0, err);
  }
};

TEST_F(ComponentOpenTest, AnEffectUnitOpensInitialisedWithItsParameters) {
  int32_t index = AppendComponentEntry(kDelayName, kPluginKindAuEffect, FourCC("tst1"));
  if (index < 0) GTEST_SKIP() << kDelayName << " is not installed";
  OSErr err = 1;
  EXPECT_EQ(FourCC("tst1"), Open(index, &err));
  ASSERT_EQ(noErr, err);
  PluginInstance* p = GetChainPlugin(head_, 0);
  ASSERT_NE(nullptr, p);
  EXPECT_NE(0u, p->unit);
  EXPECT_EQ(nullptr, p->effect);
  EXPECT_EQ(0u, p->openFlags);
  EXPECT_EQ(2u, p->description.componentFlags);  // render generation 2
  EXPECT_TRUE(p->stateFlags & kPluginStateInitialised);
  EXPECT_EQ(1u, p->inputChannels);
  EXPECT_EQ(1u, p->outputChannels);
  EXPECT_EQ(1, p->outputCount);
  EXPECT_EQ(0u, p->stereoOutputs);
  EXPECT_EQ(0, p->receivesMidi);
  ASSERT_GT(p->parameterCount, 0u);
  ASSERT_NE(nullptr, p->parameterIds);
  EXPECT_LE(p->parameterMinimum[0], p->parameterMaximum[0]);
  EXPECT_EQ(0x44, PluginInfoAt(index)->entryFlags & 0x64);
  EXPECT_EQ(1, GetEngineOutputChannels(p));
  EXPECT_EQ(1, GetPluginStateFlags(p));

  uint8_t info[kAUParameterInfoBytes];
  EXPECT_EQ(noErr, GetAUParameterInfo(p, info, 0));
  EXPECT_NE(0, info[0]);  // a name
  EXPECT_EQ(paramErr, GetAUParameterInfo(p, info, int32_t(p->parameterCount)));
  ReleaseAUParameterInfo(info);

  EXPECT_EQ(noErr, SetPluginSampleRate(p, 96000.0));
  EXPECT_EQ(96000.0f, p->sampleRate);
  EXPECT_EQ(noErr, SetPluginMaxFrames(p, 1024));
  EXPECT_EQ(1024u, p->maxFrames);
  uint32_t frames = 0, size = sizeof(frames);
  AudioUnitGetProperty(p->unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global,
                       0, &frames, &size);
  EXPECT_EQ(1024u, frames);
  EXPECT_TRUE(p->stateFlags & kPluginStateInitialised);
  p->sampleTime = 99.0;
  ResumePlugin(p, 0);
  EXPECT_TRUE(p->stateFlags & kPluginStateReset);
  EXPECT_EQ(0.0, p->sampleTime);
  SuspendPlugin(p);
}

TEST_F(ComponentOpenTest, AnInstrumentUnitReceivesMidi) {
  int32_t index = AppendComponentEntry(kSamplerName, kPluginKindAuMusic, FourCC("tst1"));
  if (index < 0) GTEST_SKIP() << kSamplerName << " is not installed";
  OSErr err = 1;
  ASSERT_NE(0u, Open(index, &err));
  PluginInstance* p = GetChainPlugin(head_, 0);
  EXPECT_EQ(1, p->receivesMidi);
  EXPECT_EQ(0x64, PluginInfoAt(index)->entryFlags & 0x64);
  EXPECT_EQ(1, ChainReceivesMidi(head_));
  EXPECT_TRUE(IsInstrumentPlugin(p));
  EXPECT_EQ(3, GetPluginStateFlags(p) & 3);
}

TEST_F(ComponentOpenTest, AComponentThatIsNotInstalledFailsWith73) {
  PluginInfo info;
  info.kind = kPluginKindAuEffect;
  info.componentType = FourCC("aufx");
  info.componentSubType = FourCC("none");
  info.componentManufacturer = FourCC("none");
  int32_t index = AppendPluginInfo(info);
  OSErr err = 0;
  EXPECT_EQ(0u, Open(index, &err));
  EXPECT_EQ(kAudioUnitNotFoundErr, err);
  EXPECT_EQ(0u, head_);
}

}  // namespace
