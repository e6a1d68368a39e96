// Opening plug-ins through OpenPluginInstance with effects made in the test: the bounds on
// what a plug-in reports, the open's error answers, the flags the open derives, the current
// instance word, and rate, block size, resume and suspend.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <thread>

#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/library/plugin_table.h"
#include "tests/plugins/instances/chain_fixture.h"
#include "tests/plugins/instances/fake_effect.h"

namespace {

class InstanceOpenTest : public ChainLeakTest {
 protected:
  void SetUp() override {
    ResetPluginTable();
    index_ = AppendVstInfo();
    CountOpenState();
  }
  void TearDown() override {
    ChainLeakTest::TearDown();
    gFakeEntryEffect = nullptr;
    gFakeEntryAsksIdle = false;
    ResetHostInputState();
  }
  // Opens through the fake entry point; the answer.
  uint32_t Open(FakeEffect* fake, double rate = 48000.0, OSErr* err = nullptr) {
    gFakeEntryEffect = fake;
    return OpenPluginInstance(FakeEntryPoint, 512, &head_, index_, 0, PluginInfoAt(index_),
                              kOpenQuietly, nullptr, rate, err);
  }
  PluginInstance* Last() { return GetChainPlugin(head_, CountChainPlugins(head_) - 1); }
  // An effect that lives as long as the test (the chain closes it at the end).
  FakeEffect& NewFake(VstInt32 inputs, VstInt32 outputs) { return fakes_.emplace_back(inputs, outputs); }

  std::deque<FakeEffect> fakes_;

  int32_t index_ = 0;
};

TEST_F(InstanceOpenTest, CountsThatSizeTablesAreBoundedOrRefused) {
  struct Case {
    VstInt32 inputs, outputs, params;
    OSErr err;
    uint32_t inChannels, outChannels, paramCount;
  };
  const Case cases[] = {
      {2, 2, 3, noErr, 2, 2, 3},
      {0, 128, 3, noErr, 0, 32, 3},          // opens; the host routes 32 of them
      {0, 129, 3, kTooManyOutputsErr, 0, 0, 0},
      {-1, 2, 3, kPluginOpenFailedErr, 0, 0, 0},
      {129, 2, 3, kPluginOpenFailedErr, 0, 0, 0},
      {2, 2, 1 << 30, noErr, 2, 2, kMaxPluginParameters},
      {2, 2, -5, noErr, 2, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.inputs << " in, " << c.outputs << " out, " << c.params);
    FakeEffect& fake = NewFake(c.inputs, c.outputs);
    fake.effect.numParams = c.params;
    int32_t before = CountChainPlugins(head_);
    OSErr err = 1;
    uint32_t id = Open(&fake, 48000.0, &err);
    EXPECT_EQ(c.err, err);
    if (c.err != noErr) {
      EXPECT_EQ(0u, id);
      EXPECT_EQ(before, CountChainPlugins(head_));
      // The refused effect is closed again, so that the plug-in frees it.
      EXPECT_EQ(1u, fake.CallsOf(kEffClose).size());
      continue;
    }
    EXPECT_EQ(uint32_t(fake.effect.uniqueID), id);
    PluginInstance* p = Last();
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(c.inChannels, p->inputChannels);
    EXPECT_EQ(c.outChannels, p->outputChannels);
    EXPECT_EQ(c.paramCount, p->parameterCount);
    if (c.paramCount > 0) EXPECT_EQ(1.0f, p->parameterMaximum[c.paramCount - 1]);
    EXPECT_EQ(1u, fake.CallsOf(kEffOpen).size());
  }
}

TEST_F(InstanceOpenTest, AnEntryPointThatMakesNothingFailsWith77) {
  OSErr err = 0;
  EXPECT_EQ(0u, Open(nullptr, 48000.0, &err));
  EXPECT_EQ(kPluginOpenFailedErr, err);
  EXPECT_EQ(0u, head_);
  // An entry point that needs code-fragment glue cannot be called here.
  FakeEffect& fake = NewFake(2, 2);
  gFakeEntryEffect = &fake;
  EXPECT_EQ(0u, OpenPluginInstance(FakeEntryPoint, 512, &head_, index_, 1, PluginInfoAt(index_),
                                   kOpenQuietly, nullptr, 48000.0, &err));
  EXPECT_EQ(kPluginOpenFailedErr, err);
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_EQ(nullptr, MakeCfmGlue(&fake));
  EXPECT_EQ(nullptr, MakeTransitionVector(&fake));
  DisposeCfmGlue(nullptr);
}

TEST_F(InstanceOpenTest, ARateOfZeroOpensAt44100AndRateAndBlockChangesReachThePlugin) {
  FakeEffect& fake = NewFake(2, 2);
  fake.effect.initialDelay = 64;
  ASSERT_NE(0u, Open(&fake, 0.0));
  PluginInstance* p = Last();
  EXPECT_EQ(44100.0f, p->sampleRate);
  ASSERT_EQ(1u, fake.CallsOf(kEffSetSampleRate).size());
  EXPECT_EQ(44100.0f, fake.CallsOf(kEffSetSampleRate)[0].opt);
  EXPECT_EQ(512, fake.CallsOf(kEffSetBlockSize).back().value);
  EXPECT_EQ(64u, p->latency);
  SetPluginSampleRate(p, 96000.0);
  SetPluginSampleRate(p, 96000.0);  // the same rate is not sent again
  EXPECT_EQ(2u, fake.CallsOf(kEffSetSampleRate).size());
  EXPECT_EQ(96000.0f, p->sampleRate);
  fake.effect.initialDelay = 128;
  SetPluginSampleRate(p, 96000.0);  // the latency is read again in every case
  EXPECT_EQ(128u, p->latency);
  SetPluginMaxFrames(p, 256);
  EXPECT_EQ(256, fake.CallsOf(kEffSetBlockSize).back().value);
  EXPECT_EQ(256u, p->maxFrames);
  ResumePlugin(p, 1);
  EXPECT_EQ(1, fake.LastMains());
  SuspendPlugin(p);
  EXPECT_EQ(0, fake.LastMains());
}

TEST_F(InstanceOpenTest, TheOpenDerivesFlagsFromThePluginAndItsTableEntry) {
  struct Case {
    VstInt32 effectFlags;
    uint32_t infoFlags;
    uint32_t infoVersion;
    VstIntPtr vstVersion, receives, sends;
    bool replacingKept, midiIn, editor, chunks;
    uint8_t entryBits;
  };
  const Case cases[] = {
      // Replacing is kept only with table flag 0x10 (a new plug-in version gives it).
      {kEffFlagsCanReplacing, 0, 1, 2400, 0, 0, false, false, false, false, 0x04},
      {kEffFlagsCanReplacing, 0x10, 1, 2400, 0, 0, true, false, false, false, 0x04},
      {kEffFlagsCanReplacing, 0, 0, 2400, 0, 0, true, false, false, false, 0x04},
      {kEffFlagsCanReplacing, 0, 0, 2300, 0, 0, false, false, false, false, 0x04},
      {kEffFlagsIsSynth | kEffFlagsHasEditor, 0x10, 1, 2400, 0, 1, false, true, true, false,
       0x04 | 0x20 | 0x80 | 0x02},
      {kEffFlagsProgramChunks | kEffFlagsHasClip | kEffFlagsHasVu, 0x10, 1, 2400, 1, 0, false, true,
       false, true, 0x04 | 0x10 | 0x08 | 0x20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.effectFlags << " info " << c.infoFlags);
    PluginInfoAt(index_)->pluginFlags = c.infoFlags;
    PluginInfoAt(index_)->version = c.infoVersion;
    PluginInfoAt(index_)->entryFlags = 0x01;
    FakeEffect& fake = NewFake(2, 2);
    fake.effect.flags = c.effectFlags;
    fake.vstVersion = c.vstVersion;
    fake.receivesMidi = c.receives;
    fake.sendsMidi = c.sends;
    ASSERT_NE(0u, Open(&fake));
    PluginInstance* p = Last();
    EXPECT_EQ(c.replacingKept, (fake.effect.flags & kEffFlagsCanReplacing) != 0);
    EXPECT_EQ(c.midiIn, p->receivesMidi != 0);
    EXPECT_EQ(c.editor, PluginHasEditor(p));
    EXPECT_EQ(c.chunks, PluginHasChunks(p));
    EXPECT_EQ(uint8_t(c.entryBits | 0x01), PluginInfoAt(index_)->entryFlags);  // bit 0 kept
    EXPECT_EQ(kPluginOpenVst, p->openFlags);
  }
}

TEST_F(InstanceOpenTest, HoldingOptionWhileOpeningHidesTheEditor) {
  FakeEffect& fake = NewFake(2, 2);
  fake.effect.flags = kEffFlagsHasEditor;
  PostHostModifiersEvent(optionKey);
  ASSERT_NE(0u, Open(&fake));
  EXPECT_FALSE(PluginHasEditor(Last()));
  EXPECT_EQ(0, fake.effect.flags & kEffFlagsHasEditor);
}

TEST_F(InstanceOpenTest, TheCurrentInstanceWordIsPerThread) {
  FakeEffect& fake = NewFake(2, 2);
  gFakeEntryAsksIdle = true;  // asked before the instance exists
  ASSERT_NE(0u, Open(&fake));
  PluginInstance* p = Last();
  EXPECT_EQ(kOpeningPluginPending, gFakeEntryCurrentInstance);
  EXPECT_EQ(p->id, fake.CallsOf(kEffOpen)[0].currentInstance);
  EXPECT_TRUE(p->stateFlags & kPluginStateNeedsIdle);
  // While this thread calls the plug-in, another thread (the engine's render) sees its own.
  CallVstDispatcher(p, kEffGetVstVersion, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(p->id, gOpeningPlugin);
  uint32_t seen = 1;
  std::thread other([&] { seen = gOpeningPlugin; });
  other.join();
  EXPECT_EQ(0u, seen);
}

TEST_F(InstanceOpenTest, FormatWordsAndTheRenderQualityIndex) {
  FakeEffect& fake = NewFake(2, 2);
  ASSERT_NE(0u, Open(&fake));
  PluginInstance* p = Last();
  uint32_t a = 0x1234, b = 7, c = 9;
  EXPECT_EQ(1, AccessPluginFormat(p, 1, &a, &b, &c));
  EXPECT_EQ(0, AccessPluginFormat(p, 1, &a, &b, &c));  // the second word did not change
  uint32_t x = 0, y = 0, z = 0;
  AccessPluginFormat(p, 0, &x, &y, &z);
  EXPECT_EQ(0x1234u, x);
  EXPECT_EQ(7u, y);
  // Held by an undo snapshot only: kind 5 and the first word's low byte.
  Handle snapshot = TakeChainSnapshot(head_);
  head_ = RemoveChainPlugin(head_, nullptr, 0, 0);
  AccessPluginFormat(p, 0, &x, &y, &z);
  EXPECT_EQ(kHeldFormatKind, x);
  EXPECT_EQ(0x34u, y);
  DisposeChainSnapshot(snapshot, Handle());
}

TEST_F(InstanceOpenTest, SoundBankModesAndRenderQuality) {
  FakeEffect& fake = NewFake(2, 2);
  ASSERT_NE(0u, Open(&fake));
  PluginInstance* p = Last();
  uint8_t bank[kSoundBankSpecBytes] = {};
  bank[6] = 4;
  std::memcpy(bank + 7, "Bank", 4);
  EXPECT_EQ(noErr, AccessSoundBank(p, 0, bank));
  uint8_t out[kSoundBankSpecBytes] = {};
  EXPECT_EQ(noErr, AccessSoundBank(p, 1, out));
  EXPECT_EQ(0, std::memcmp(bank, out, sizeof(bank)));
  int16_t saved = gRenderQualityIndex;
  uint16_t index = 3;
  AccessSoundBank(p, 2, &index);
  EXPECT_EQ(3, gRenderQualityIndex);
  index = 5;  // past the table: nothing changes
  AccessSoundBank(p, 2, &index);
  uint16_t now = 0;
  AccessSoundBank(p, 3, &now);
  EXPECT_EQ(3, now);
  gRenderQualityIndex = saved;
  // A VST plug-in has no component parameter information or factory presets.
  uint8_t info[kAUParameterInfoBytes];
  EXPECT_EQ(kAudioUnitErr_Uninitialized, GetAUParameterInfo(p, info, 0));
  int32_t number = 5;
  Str255 name = {3, 'a', 'b', 'c'};
  EXPECT_EQ(noErr, GetFactoryPreset(p, 0, &number, name));
  EXPECT_EQ(-1, number);
  EXPECT_EQ(0, name[0]);
}

}  // namespace
