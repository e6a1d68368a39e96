// A chain of plug-ins made in the test, opened through OpenPluginInstance with effects the
// test supplies.
#pragma once

#include <gtest/gtest.h>

#include <deque>

#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/library/plugin_table.h"
#include "tests/plugins/instances/fake_effect.h"

// A chain of its own, released at the end, which must leave no instance record and no handle
// behind of those alive when CountOpenState was called (once the plug-in table is set up).
class ChainLeakTest : public ::testing::Test {
 protected:
  void CountOpenState() {
    records_ = CountPluginInstanceRecords();
    handles_ = CountLiveHandles();
  }
  void TearDown() override {
    ReleaseChainPlugins(head_);
    EXPECT_EQ(records_, CountPluginInstanceRecords());
    EXPECT_EQ(handles_, CountLiveHandles()) << "handles left behind";
  }

  int32_t records_ = 0;
  uint32_t handles_ = 0;
  uint32_t head_ = 0;
};

class ChainTest : public ChainLeakTest {
 protected:
  void SetUp() override {
    ResetPluginTable();
    effectIndex_ = AppendVstInfo(0x10, 0);
    synthIndex_ = AppendVstInfo(0x10, kPluginEntryInstrument);
    CountOpenState();
  }
  // Appends a plug-in with these counts (an instrument: no inputs, synth flag).
  PluginInstance* Add(VstInt32 inputs, VstInt32 outputs, VstInt32 delay = 0) {
    fakes_.emplace_back(inputs, outputs, VstInt32(0x100 + fakes_.size()));
    FakeEffect& fake = fakes_.back();
    fake.effect.initialDelay = delay;
    if (inputs == 0) fake.effect.flags |= kEffFlagsIsSynth;
    int32_t index = inputs == 0 ? synthIndex_ : effectIndex_;
    uint32_t id = OpenPluginInstance(nullptr, 512, &head_, index, 0, PluginInfoAt(index),
                                     kOpenQuietly, &fake.effect, 48000.0);
    EXPECT_NE(0u, id);
    return GetChainPlugin(head_, CountChainPlugins(head_) - 1);
  }
  FakeEffect& FakeOf(const PluginInstance* p) { return *static_cast<FakeEffect*>(p->effect->user); }

  std::deque<FakeEffect> fakes_;
  int32_t effectIndex_ = 0, synthIndex_ = 0;
};
