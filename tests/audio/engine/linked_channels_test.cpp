// A multi-output chain spreads its outputs over the channel and its linked channels, in order;
// a chain input fed from another channel takes the chain's input gain and is silent while
// that channel has no data.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "tests/audio/engine/engine_fixture.h"

using engine_test::EngineRig;
using engine_test::kFrames;

namespace {

// Output buffer i of the chain holds a ramp of its own: (i + 1) / 16 + frame / 1024.
float RampValue(int32_t buffer, int32_t frame) { return float(buffer + 1) / 16.0f + float(frame) / 1024.0f; }

int32_t RampChain(void*, float* const*, int32_t, float** outputs, int32_t outputCount, int32_t frames) {
  for (int32_t i = 0; i < outputCount; ++i) {
    outputs[i] = gRenderBuffers.chain[i];
    for (int32_t f = 0; f < frames; ++f) outputs[i][f] = RampValue(i, f);
  }
  return 0;
}

// Copies chain input pair 1 to the first two outputs (what a side-chained plug-in hears).
int32_t SideInputChain(void*, float* const* inputs, int32_t, float** outputs, int32_t outputCount, int32_t frames) {
  for (int32_t i = 0; i < outputCount; ++i) {
    outputs[i] = gRenderBuffers.chain[i];
    if (i >= 2) continue;
    for (int32_t f = 0; f < frames; ++f) outputs[i][f] = inputs[2 + i][f];
  }
  return 0;
}

struct Linked {
  EngineChannel channel;
  std::vector<uint8_t> block;
  Linked(int32_t frameChannels, uint8_t stopped) : block(size_t(kFrames) * 2 * sizeof(float) + 16, 0xEE) {
    channel.frameChannels = frameChannels;
    channel.stopped = stopped;
    channel.renderBlock = block.data();
    channel.renderBlockBytes = int32_t(block.size());
  }
};

float FloatAt(const Linked& l, int32_t index) { return reinterpret_cast<const float*>(l.block.data())[index]; }
int16_t IntAt(const Linked& l, int32_t index) { return reinterpret_cast<const int16_t*>(l.block.data())[index]; }

}  // namespace

TEST(LinkedChannels, SpreadKindsWriteEveryLinkedChannelInOrder) {
  ASSERT_EQ(EnsureRenderBuffers(8, 2, 1), 0);
  for (int32_t kind : {7, 25, 33}) {
    TakeEngineError();
    bool integer = kind == 25;
    ChannelRenderState state;
    state.mixKind = kind;
    state.outputChannels = 8;
    state.render = RampChain;
    state.dryLevel = 256;
    EngineChannel owner;
    owner.frameChannels = 2;
    owner.sampleBits = integer ? 16 : 32;
    owner.renderState = &state;
    owner.halfReady[0] = 1;
    Linked mono(1, 0), stopped(2, 1), stereo(2, 0);
    owner.linkedChannels[0] = &mono.channel;
    owner.linkedChannels[1] = &stopped.channel;
    owner.linkedChannels[2] = &stereo.channel;
    // A dry ramp of its own on each side, so the dry share shows where it lands.
    std::vector<float> floatSource(2 * kFrames);
    std::vector<int16_t> intSource(2 * kFrames);
    for (int32_t f = 0; f < kFrames; ++f) {
      floatSource[2 * f] = -float(f) / 2048.0f;
      floatSource[2 * f + 1] = -0.5f;
      intSource[2 * f] = int16_t(-16 * f);
      intSource[2 * f + 1] = -16384;
    }
    std::vector<float> out(2 * kFrames, 9.0f);
    void* source = integer ? static_cast<void*>(intSource.data()) : static_cast<void*>(floatSource.data());
    RenderEngineChannel(&owner, source, out.data(), kFrames, 32768, 0);
    ASSERT_EQ(gEngineError.load(), 0) << kind;
    for (int32_t f = 0; f < kFrames; f += 5) {
      if (integer) {
        const int16_t* o = reinterpret_cast<const int16_t*>(out.data());
        // The mono dry signal on the owner's first channel only.
        EXPECT_EQ(o[2 * f], SaturateToInt16(RampValue(0, f) * 32768.0f + float(-16 * f), nullptr)) << f;
        EXPECT_EQ(o[2 * f + 1], SaturateToInt16(RampValue(1, f) * 32768.0f, nullptr)) << f;
        EXPECT_EQ(IntAt(mono, f), SaturateToInt16(RampValue(2, f) * 32768.0f, nullptr)) << f;
        EXPECT_EQ(IntAt(stereo, 2 * f), SaturateToInt16(RampValue(5, f) * 32768.0f, nullptr)) << f;
        EXPECT_EQ(IntAt(stereo, 2 * f + 1), SaturateToInt16(RampValue(6, f) * 32768.0f, nullptr)) << f;
      } else {
        // Kind 7 adds the first dry side to both, kind 33 each side its own.
        float dryRight = kind == 33 ? -0.5f : -float(f) / 2048.0f;
        EXPECT_NEAR(out[2 * f], RampValue(0, f) - float(f) / 2048.0f, 1e-6) << kind << " frame " << f;
        EXPECT_NEAR(out[2 * f + 1], RampValue(1, f) + dryRight, 1e-6) << kind << " frame " << f;
        EXPECT_NEAR(FloatAt(mono, f), RampValue(2, f), 1e-6) << kind << " frame " << f;
        EXPECT_NEAR(FloatAt(stereo, 2 * f), RampValue(5, f), 1e-6) << kind << " frame " << f;
        EXPECT_NEAR(FloatAt(stereo, 2 * f + 1), RampValue(6, f), 1e-6) << kind << " frame " << f;
      }
    }
    EXPECT_EQ(mono.channel.spreadBytes, integer ? 2 : 4);
    EXPECT_EQ(stereo.channel.spreadBytes, integer ? 2 : 4);
    // The stopped channel keeps its place (outputs 3 and 4) and gets nothing.
    EXPECT_EQ(stopped.channel.spreadBytes, 0);
    EXPECT_EQ(stopped.block[0], 0xEE);
  }
}

// Through the mix cycle: the linked channel plays the outputs it was given on its own pair.
TEST(LinkedChannels, ALinkedChannelPlaysItsOutputsOnItsOwnPair) {
  SetAudioMode(1);
  {
    EngineRig rig;
    ASSERT_EQ(EnsureRenderBuffers(4, 2, 1), 0);
    ChannelRenderState state;
    state.mixKind = 7;
    state.outputChannels = 4;
    state.dryLevel = 0;
    state.render = RampChain;
    EngineChannel* owner = rig.AddChannel(2, 32, 0.25f, 0.25f);
    EngineChannel* linked = rig.AddChannel(2, 32, 0.0f, 0.0f);
    owner->renderState = &state;
    owner->linkedChannels[0] = linked;
    linked->busSource = 1;
    linked->outputPair = 1;
    for (int i = 0; i < 3; ++i) rig.Cycle();
    for (int32_t f = 0; f < kFrames; f += 9) {
      EXPECT_NEAR(rig.Sample(0, f), RampValue(0, f), 1e-5) << f;
      EXPECT_NEAR(rig.Sample(1, f), RampValue(1, f), 1e-5) << f;
      EXPECT_NEAR(rig.Sample(2, f), RampValue(2, f), 1e-5) << f;
      EXPECT_NEAR(rig.Sample(3, f), RampValue(3, f), 1e-5) << f;
    }
    EXPECT_EQ(gEngineError.load(), 0);
  }
  SetAudioMode(3);
}

TEST(LinkedChannels, AFedPairTakesTheInputGainAndIsSilentWithoutData) {
  ASSERT_EQ(EnsureRenderBuffers(4, 2, 1), 0);
  AudioDriverOps device;
  std::vector<float> bus(2 * kFrames), mono(kFrames);
  for (int32_t f = 0; f < kFrames; ++f) {
    bus[2 * f] = float(f) / 128.0f;
    bus[2 * f + 1] = -float(f) / 256.0f;
    mono[f] = float(f) / 64.0f;
  }
  struct Case {
    const char* name;
    bool currentOutput;   // else the bus block of the device's selector
    uint8_t ready, instrument;
    float inputGain;      // in units of 1/32768
    bool silent;
    int16_t sourceFrames = 0;  // the feeding channel's block length (0: not set)
  };
  const Case cases[] = {
      {"bus block at unity", false, 1, 0, 1.0f, false},
      {"bus block at half gain", false, 1, 0, 0.5f, false},
      {"bus block without data", false, 0, 0, 1.0f, true},
      {"an instrument always has data", false, 0, 1, 1.0f, false},
      {"mono current output", true, 1, 0, 2.0f, false},
      {"current output without data", true, 0, 0, 1.0f, true},
      {"a shorter source block ends in silence", false, 1, 0, 1.0f, false, 20},
  };
  for (const Case& c : cases) {
    TakeEngineError();
    EngineChannel from;
    from.device = &device;
    device.outputSelector.store(1);
    from.busBuffer[1] = bus.data();
    from.frameChannels = c.currentOutput ? 1 : 2;
    from.currentOutput = c.currentOutput ? mono.data() : nullptr;
    from.halfReady[0] = c.ready;
    from.instrumentSource = c.instrument;
    from.framesPerBlock = c.sourceFrames;
    ChannelRenderState state;
    state.mixKind = 9;
    state.inputChannels = 4;
    state.audioInput = 0;
    state.render = SideInputChain;
    state.pluginInputGain = c.inputGain / 32768.0f;
    EngineChannel channel;
    channel.frameChannels = 2;
    channel.sampleBits = 32;
    channel.renderState = &state;
    channel.halfReady[0] = 1;
    channel.inputSource[1] = &from;
    std::vector<float> source(2 * kFrames, 0.0f), out(2 * kFrames, 9.0f);
    RenderEngineChannel(&channel, source.data(), out.data(), kFrames, 32768, 0);
    for (int32_t f = 0; f < kFrames; f += 3) {
      bool silent = c.silent || (c.sourceFrames && f >= c.sourceFrames);
      float left = silent ? 0.0f : c.currentOutput ? mono[f] * c.inputGain : bus[2 * f] * c.inputGain;
      float right = silent || c.currentOutput ? 0.0f : bus[2 * f + 1] * c.inputGain;
      EXPECT_NEAR(out[2 * f], left, 1e-6) << c.name << " frame " << f;
      EXPECT_NEAR(out[2 * f + 1], right, 1e-6) << c.name << " frame " << f;
    }
  }
}
