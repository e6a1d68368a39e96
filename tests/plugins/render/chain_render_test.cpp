// The chain render: the signal moves between the two scratch tables plug-in by plug-in, bypass
// and mix-back follow the plug-ins' kinds, and every VST call gets pointer tables as long as
// the plug-in's own channel counts.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "audio/devices/audio_driver.h"
#include "plugins/host/chain_render.h"
#include "tests/plugins/render/render_fixture.h"

namespace {

using namespace render_test;

constexpr int32_t kFrames = 64;

class ChainRender : public ::testing::Test {
 protected:
  void SetUp() override {
    gAudioBufferFrames.store(kFrames);
    ASSERT_EQ(EnsureRenderBuffers(kRenderBufferCount, kRenderBufferCount, 1), 0);
    // What an earlier channel left behind in every scratch buffer.
    for (int32_t i = 0; i < kRenderBufferCount; ++i) {
      Fill(gRenderBuffers.chain[i], 0.5f);
      Fill(gRenderBuffers.second[i], 0.5f);
    }
    // The incoming signal: a ramp on the left, its negative on the right.
    for (int32_t f = 0; f < kFrames; ++f) {
      gRenderBuffers.chain[0][f] = float(f) / kFrames;
      gRenderBuffers.chain[1][f] = -float(f) / kFrames;
    }
    inputs_[0] = gRenderBuffers.chain[0];
    inputs_[1] = gRenderBuffers.chain[1];
  }
  void TearDown() override {
    for (auto& [p, probe] : probes_) DisposeProbe(p, probe);
    FreeRenderBuffers();
  }
  static void Fill(float* b, float v) {
    for (int32_t f = 0; f < gRenderBuffers.chainFrames; ++f) b[f] = v;
  }
  PluginInstance* Probe(int32_t ins, int32_t outs, bool replacing = true, float base = 1.0f, float step = 0.0f) {
    ProbeEffect* probe = NewProbeEffect(ins, outs, replacing);
    probe->base = base;
    probe->step = step;
    probe->addInput = ins > 0;
    PluginInstance* p = NewProbeInstance(probe);
    probes_.push_back({p, probe});
    return p;
  }
  ProbeEffect* ProbeOf(PluginInstance* p) { return static_cast<ProbeEffect*>(p->effect->object); }
  void Render(PluginInstance* head, int32_t channels = 2) {
    RenderInsertChain(head, inputs_, outputs_, kFrames, channels, &rendered_);
  }

  float* inputs_[kRenderBufferCount] = {};
  float* outputs_[kRenderBufferCount] = {};
  uint8_t rendered_ = 0;
  std::vector<std::pair<PluginInstance*, ProbeEffect*>> probes_;
};

// Two effects: the first writes into the second table, the second back into the chain table,
// and the result is each one's addition to the ramp in turn.
TEST_F(ChainRender, TwoEffectsAlternateBetweenTheScratchTables) {
  PluginInstance* a = Probe(2, 2, true, 1.0f);
  PluginInstance* b = Probe(2, 2, true, 10.0f);
  Render(LinkChain({a, b}));
  EXPECT_EQ(ProbeOf(a)->outputsSeen[0], gRenderBuffers.second[0]);
  EXPECT_EQ(ProbeOf(b)->outputsSeen[0], gRenderBuffers.chain[0]);
  EXPECT_EQ(inputs_[0], gRenderBuffers.chain[0]);
  EXPECT_EQ(rendered_, 1);
  for (int32_t f : {0, 17, 63}) {
    EXPECT_FLOAT_EQ(inputs_[0][f], float(f) / kFrames + 11.0f);
    EXPECT_FLOAT_EQ(inputs_[1][f], -float(f) / kFrames + 13.0f);  // channel 1 adds 1 in each
  }
}

// Bypass: an effect hands its input on unchanged and counts as rendered; an instrument at the
// head renders nothing and leaves the flag clear.
TEST_F(ChainRender, BypassedPlugInsPassOrSilence) {
  PluginInstance* effect = Probe(2, 2);
  effect->bypass = 1;
  Render(effect);
  EXPECT_EQ(rendered_, 1);
  EXPECT_EQ(ProbeOf(effect)->calls, 0);
  EXPECT_FLOAT_EQ(inputs_[0][40], 40.0f / kFrames);

  rendered_ = 0;
  PluginInstance* instrument = Probe(0, 2);
  instrument->bypass = 1;
  inputs_[0] = gRenderBuffers.chain[0];
  inputs_[1] = gRenderBuffers.chain[1];
  Render(instrument, 0);
  EXPECT_EQ(rendered_, 0);
}

// A bypassed instrument does not hand on what the scratch buffers held from an earlier
// channel: the effect behind it gets silence.
TEST_F(ChainRender, ABypassedInstrumentPassesNoStaleAudio) {
  PluginInstance* instrument = Probe(0, 2);
  instrument->bypass = 1;
  PluginInstance* effect = Probe(2, 2, true, 0.0f);
  Render(LinkChain({instrument, effect}), 0);
  EXPECT_EQ(ProbeOf(effect)->firstInputs, (std::vector<float>{0.0f, 0.0f}));
  for (int32_t f : {0, 63}) EXPECT_EQ(inputs_[0][f], 0.0f);
}

// An instrument behind an effect adds the incoming first two channels to its own output.
TEST_F(ChainRender, AnInstrumentBehindASourceMixesItIn) {
  PluginInstance* effect = Probe(2, 2, true, 0.0f);
  PluginInstance* instrument = Probe(0, 2, true, 100.0f);
  Render(LinkChain({effect, instrument}));
  for (int32_t f : {0, 31, 63}) {
    EXPECT_FLOAT_EQ(inputs_[0][f], 100.0f + float(f) / kFrames);
    EXPECT_FLOAT_EQ(inputs_[1][f], 101.0f + 1.0f - float(f) / kFrames);
  }
}

// A plug-in without processReplacing accumulates: it gets cleared outputs, not stale ones.
TEST_F(ChainRender, AccumulatingPlugInsGetClearedOutputs) {
  PluginInstance* instrument = Probe(0, 2, false, 3.0f);
  Render(instrument, 0);
  EXPECT_EQ(ProbeOf(instrument)->calls, 1);
  EXPECT_FLOAT_EQ(inputs_[0][5], 3.0f);
  EXPECT_FLOAT_EQ(inputs_[1][5], 4.0f);
}

// More channels than the tables hold: 40 outputs and 6 inputs. The plug-in gets tables of its
// own length; inputs past the signal read silence and outputs past the tables write into a
// buffer nobody reads, while the first 32 outputs land in the scratch buffers.
TEST_F(ChainRender, WidePlugInsGetTablesOfTheirOwnLength) {
  PluginInstance* wide = Probe(6, 40, true, 1.0f);
  inputs_[2] = gRenderBuffers.chain[2];  // a third channel of the signal
  Fill(inputs_[2], 0.25f);
  Render(wide, 3);
  ProbeEffect* probe = ProbeOf(wide);
  ASSERT_EQ(probe->calls, 1);
  EXPECT_EQ(probe->firstInputs, (std::vector<float>{0.0f, 0.0f, 0.25f, 0.0f, 0.0f, 0.0f}));
  ASSERT_EQ(probe->outputsSeen.size(), 40u);
  for (int32_t c = 2; c < kRenderBufferCount; ++c) {
    EXPECT_EQ(probe->outputsSeen[size_t(c)], gRenderBuffers.second[c]) << c;
    EXPECT_FLOAT_EQ(gRenderBuffers.second[c][9], 1.0f + float(c) + (c < 6 && c == 2 ? 0.25f : 0.0f)) << c;
  }
  for (int32_t c = kRenderBufferCount; c < 40; ++c) {
    EXPECT_NE(probe->outputsSeen[size_t(c)], nullptr);
    for (int32_t i = 0; i < kRenderBufferCount; ++i) EXPECT_NE(probe->outputsSeen[size_t(c)], gRenderBuffers.second[i]);
  }
}

}  // namespace

// A component renders bus by bus through its fast-dispatch procedure: a disabled bus and a bus
// whose render fails are cleared, the other bus keeps what the unit wrote, and only a failure
// latches the engine's error.
TEST_F(ChainRender, AComponentRendersEachBusOnItsOwn) {
  struct Case {
    const char* name;
    uint32_t enabled;
    uint32_t failingBus;
    int16_t latched;
  };
  static uint32_t failing;
  auto render = [](void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t bus, uint32_t frames,
                   AudioBufferList* list) -> OSStatus {
    for (uint32_t b = 0; b < list->mNumberBuffers; ++b) {
      auto* samples = static_cast<float*>(list->mBuffers[b].mData);
      for (uint32_t f = 0; f < frames; ++f) samples[f] = float(bus * 10 + b + 1) + float(f) / 1000.0f;
    }
    return bus == failing ? OSStatus(-10877) : OSStatus(0);
  };
  const Case cases[] = {{"bus 1 disabled", 0x1, 99, 0},
                        {"bus 1 fails", 0x3, 1, -10877},
                        {"bus 0 fails", 0x3, 0, -10877}};
  for (const Case& c : cases) {
    PluginInstance unit;
    unit.description.componentFlags = 2;
    unit.outputBuses = 2;
    unit.outputBusChannels[0] = unit.outputBusChannels[1] = 2;
    unit.enabledOutputs = c.enabled;
    unit.renderProc = render;
    failing = c.failingBus;
    float* outs[4];
    for (int32_t i = 0; i < 4; ++i) {
      outs[i] = gRenderBuffers.second[i];
      Fill(outs[i], 0.5f);
    }
    TakeEngineError();
    RenderAudioUnit(&unit, outs, kFrames, 4);
    for (int32_t i = 0; i < 4; ++i) {
      uint32_t bus = uint32_t(i / 2);
      bool silent = !((c.enabled >> bus) & 1) || bus == c.failingBus;
      for (int32_t f : {0, kFrames - 1}) {
        float want = silent ? 0.0f : float(bus * 10 + i % 2 + 1) + float(f) / 1000.0f;
        EXPECT_FLOAT_EQ(outs[i][f], want) << c.name << ": buffer " << i << " frame " << f;
      }
    }
    EXPECT_EQ(TakeEngineError(), c.latched) << c.name;
    EXPECT_DOUBLE_EQ(unit.sampleTime, double(kFrames)) << c.name;
  }
}
