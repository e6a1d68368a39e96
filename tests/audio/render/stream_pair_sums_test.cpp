// The per-cycle work of instrument and bus channels and the first-cycle priming: the halves
// that channels after the reference on its output pair wrote this cycle go into the
// reference's half once (16-bit sums saturate, float sums do not), a bus's chain renders over
// what was summed into it, and a chain with latency renders its pre-roll before the start.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "audio/render/follow_list_hooks.h"
#include "audio/render/mix_cycle.h"
#include "audio/render/stream_pair_sums.h"
#include "audio/render/stream_priming.h"
#include "sequencer/clock/transport_clock.h"
#include "tests/audio/render/stream_mix_fixture.h"

using namespace stream_mix_test;

namespace {

// Writes a ramp into a channel's half of selector s as a mix would: left v x (f + 1), right
// -v x (f + 1), in 16-bit terms, and marks it written.
void WriteHalf(TestChannel& c, uint32_t s, int32_t v) {
  for (int32_t f = 0; f < kBlockFrames; ++f) {
    c->mixBuffer[s][2 * f] = float(v * (f + 1)) / 32768.0f;
    c->mixBuffer[s][2 * f + 1] = -float(v * (f + 1)) / 32768.0f;
  }
  c->selectorRendered[s] = 1;
}

// A chain that halves its inputs, counting its renders.
int32_t gRenders = 0;
int32_t HalvingChain(void*, float* const* inputs, int32_t inputCount, float** outputs, int32_t count, int32_t frames) {
  ++gRenders;
  for (int32_t i = 0; i < count; ++i) {
    outputs[i] = gRenderBuffers.chain[i];
    for (int32_t f = 0; f < frames; ++f) outputs[i][f] = i < inputCount && inputs[i] ? inputs[i][f] * 0.5f : 0.0f;
  }
  return 0;
}

struct SumCase {
  bool integer;
  int32_t sum;  // of 30000 and 30000 at the first frame
};

}  // namespace

TEST(StreamPairSums, MembersOnThePairThatWroteThisCycleAreSummedOnceIntoTheReference) {
  for (SumCase sc : {SumCase{true, 32767}, SumCase{false, 60000}}) {
    AudioDriverOps device;
    TestChannel ref(sc.integer ? 16 : 32, 2), member(sc.integer ? 16 : 32, 2), idle(16, 2), otherPair(16, 2);
    ref->instrumentSource = 1;
    ref->channelFlags |= kChannelSkipRenderer;  // renders nothing of its own: the sums stand
    for (EngineChannel* c : {ref.channel, member.channel, idle.channel, otherPair.channel}) c->device = &device;
    otherPair->outputPair = 1;
    ref->next = member.channel;
    member->next = idle.channel;
    idle->next = otherPair.channel;
    WriteHalf(ref, 1, 30000);
    WriteHalf(member, 1, 30000);
    WriteHalf(otherPair, 1, 500);
    if (sc.integer) SumPairChannels(ref.channel, 1);
    else SumPairChannelsFloat(ref.channel, 1);
    EXPECT_EQ(int32_t(ref.Out(1, 0, 0) * 32768.0f), sc.sum);
    EXPECT_EQ(int32_t(ref.Out(1, 0, 1) * 32768.0f), -sc.sum - (sc.integer ? 1 : 0));
    EXPECT_EQ(member->selectorRendered[1], 0);  // played inside the reference
    EXPECT_EQ(member->peakLeft, 32767);         // its largest sample, at most 32767
    EXPECT_EQ(otherPair->selectorRendered[1], 1);
    EXPECT_EQ(otherPair->peakLeft, 0);
    EXPECT_EQ(idle->peakLeft, 0);
    for (TestChannel* c : {&ref, &member, &idle}) c->channel->next = nullptr;
  }
}

TEST(StreamPairSums, ABusRendersItsChainOverWhatWasSummedIntoIt) {
  ASSERT_EQ(EnsureRenderBuffers(2, 2, 1), 0);
  ChannelRenderState state;
  state.mixKind = 9;  // float stereo
  state.dryLevel = 0;
  state.render = HalvingChain;
  TestChannel bus(32, 2);
  bus->busSource = 1;
  bus->sampleBits = 32;
  bus->renderState = &state;
  auto* ownBlock = bus->renderBlock;
  bus->renderBlock = bus->mixBuffer[0];  // the chain's output block: the other half
  WriteHalf(bus, 1, 1000);                // what the sends summed into it
  SumPairChannelsFloat(bus.channel, 1);
  for (int32_t f = 0; f < kBlockFrames; f += 11) {
    EXPECT_FLOAT_EQ(bus.Out(1, f, 0) * 32768.0f, 500.0f * float(f + 1)) << f;
    EXPECT_FLOAT_EQ(bus.Out(1, f, 1) * 32768.0f, -500.0f * float(f + 1)) << f;
  }
  bus->renderBlock = ownBlock;
  FreeRenderBuffers();
}

// A chain with 100 samples of latency at blocks of 45: three blocks of pre-roll on the start
// delay, rendered before the start, then the summed block; the transport's time ends where it
// began.
TEST(StreamPriming, AChainWithLatencyRendersItsPreRollBeforeTheStart) {
  ASSERT_EQ(EnsureRenderBuffers(2, 2, 1), 0);
  const int32_t savedFrames = gAudioBufferFrames.load();
  gAudioBufferFrames.store(kBlockFrames);
  ChannelRenderState state;
  state.mixKind = 9;
  state.render = HalvingChain;
  state.audioInput = 0;
  state.chainLatency = 100;
  EngineChannel* c = nullptr;
  ASSERT_EQ(ClaimEngineChannel(&c), 0);
  c->instrumentSource = 1;
  c->frameChannels = 2;
  c->sampleBits = 32;
  c->outputWidth = 32;
  c->framesPerBlock = int16_t(kBlockFrames);
  c->renderState = &state;
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
  ASSERT_EQ(AllocateChannelBlocks(c, kBlockFrames), 0);
  gTransportClock.samplePosition = 1000.0;
  gRenders = 0;
  EXPECT_EQ(PrimeLatencyCompensation(1, 1), 1);
  EXPECT_EQ(c->primeDelay, 100);
  EXPECT_EQ(c->primedFrames, 3 * kBlockFrames);
  EXPECT_EQ(gRenders, 4);
  EXPECT_EQ(c->startDelay, 0);  // the pre-roll is used up, the summed block plays the song
  EXPECT_EQ(gTransportClock.samplePosition, 1000.0);
  // Without latency to make up nothing renders.
  state.chainLatency = 0;
  c->latencyCompensation = 0;
  gRenders = 0;
  EXPECT_EQ(PrimeLatencyCompensation(1, 1), 1);
  EXPECT_EQ(gRenders, 0);
  c->renderState = nullptr;
  DisposeChannelBlocks(c);
  ReleaseEngineChannels();
  gAudioBufferFrames.store(savedFrames);
  gTransportClock.samplePosition = 0.0;
  FreeRenderBuffers();
}

// The follow list learns the position after each full cycle, never after a partial one.
TEST(StreamPriming, TheFollowListHearsOfEveryFullCycle) {
  static int32_t calls = 0;
  static double position = 0.0;
  gFollowListHooks.updateFollowList = [](EngineChannel*, double at) {
    ++calls;
    position = at;
  };
  TestChannel c(16, 2);
  c->stopped = 1;
  gTransportClock.samplePosition = 4410.0;
  MixEngineCycle(c.channel, nullptr, nullptr, nullptr, 0);
  MixEngineCycle(c.channel, nullptr, nullptr, nullptr, 3);
  gFollowListHooks.updateFollowList = nullptr;
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(position, 4410.0);
  gTransportClock.samplePosition = 0.0;
}
