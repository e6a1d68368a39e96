// The output path at play rates other than 1.0: the rate steps, decimated and stretched
// blocks, the rate taken only between stretched blocks, and the ramps to and from rate 0.
#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/play_rate_output.h"
#include "tests/audio/engine/engine_fixture.h"

using engine_test::EngineRig;
using engine_test::kFrames;

namespace {

class PlayRate : public ::testing::Test {
 protected:
  void SetUp() override { gPlayRateMix = PlayRateMix(); }
  void TearDown() override {
    gPlayRateMix = PlayRateMix();
    gEngineRecordObject.store(nullptr);
    SetAudioMode(3);
  }
};

TEST_F(PlayRate, RatesAreRepeatCountsOrQuarterStepDivisors) {
  struct Case {
    int32_t rate, taken, repeat, divisor;
  };
  for (const Case c : {Case{0x10000, 0x10000, 1, 0}, Case{0x30000, 0x30000, 2, 0}, Case{0x50000, 0x50000, 4, 0},
                       Case{0x80000, 0x80000, 8, 0}, Case{0x8000, 0x8000, 0, 2}, Case{0x6000, 0x4000, 0, 4},
                       Case{0xC000, 0x8000, 0, 2}, Case{0x1000, 0x4000, 0, 4}, Case{0, 0, 0, 0}}) {
    gAudioDriverState.store(kDriverWarmUp);
    EXPECT_EQ(SetPlayRate(c.rate), 0);
    EXPECT_EQ(gPlayRateMix.requestedRate, c.taken) << std::hex << c.rate;
    EXPECT_EQ(gPlayRateMix.requestedRepeat, c.repeat) << std::hex << c.rate;
    EXPECT_EQ(gPlayRateMix.requestedDivisor, c.divisor) << std::hex << c.rate;
  }
  // The hand-off states move to state 6 for any rate but 1.0.
  gAudioDriverState.store(kDriverHandOff);
  SetPlayRate(0x10000);
  EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);
  SetPlayRate(0x20000);
  EXPECT_EQ(gAudioDriverState.load(), kDriverRunningAtRate);
  gAudioDriverState.store(kDriverNothingStarted);
}

TEST_F(PlayRate, ANewRateWaitsForTheStretchedBlockToEnd) {
  SetPlayRate(0x8000);
  gPlayRateMix.framesConsumed = 32;
  gPlayRateMix.framesRemaining = 32;
  EXPECT_EQ(TakeRequestedPlayRate(), 0x10000);
  EXPECT_EQ(gPlayRateMix.currentRate, 0x10000);  // a block is under way
  gPlayRateMix.framesConsumed = 0;
  TakeRequestedPlayRate();
  EXPECT_EQ(gPlayRateMix.currentRate, 0x8000);
  EXPECT_EQ(gPlayRateMix.divisor, 2);
}

TEST_F(PlayRate, BlocksAreDecimatedOrStretched) {
  constexpr int32_t n = 8;
  std::vector<float> block(2 * n);
  for (int32_t f = 0; f < n; ++f) {
    block[2 * f] = float(f + 1);
    block[2 * f + 1] = -float(f + 1);
  }
  struct Case {
    int32_t repeat, divisor, subBlock, consumed;
    std::vector<float> left;  // 0: not written
  };
  const std::vector<Case> cases = {
      {2, 0, 0, 0, {1, 3, 5, 7, 0, 0, 0, 0}},  // rate 2: first half of the buffer
      {2, 0, 1, 0, {0, 0, 0, 0, 1, 3, 5, 7}},  // the second engine block fills the rest
      {0, 2, 0, 0, {1, 1, 2, 2, 3, 3, 4, 4}},  // rate 0.5: each frame twice
      {0, 2, 0, 4, {5, 5, 6, 6, 7, 7, 8, 8}},  // the block's second half
      {0, 4, 0, 6, {7, 7, 7, 7, 8, 8, 8, 8}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    gPlayRateMix.repeat = cases[i].repeat;
    gPlayRateMix.divisor = cases[i].divisor;
    gPlayRateMix.subBlock = cases[i].subBlock;
    gPlayRateMix.framesConsumed = cases[i].consumed;
    std::vector<float> device(2 * n, 0.0f);
    EngineChannel channel;
    ConvertChannelToDeviceRate(&channel, block.data(), device.data(), 2, device.data() + 1, 2, n);
    for (int32_t f = 0; f < n; ++f) {
      EXPECT_EQ(device[2 * f], cases[i].left[f]) << "case " << i << " frame " << f;
      EXPECT_EQ(device[2 * f + 1], -cases[i].left[f]) << "case " << i << " frame " << f;
    }
    EXPECT_GT(channel.peakLeft, 0);
  }
}

// Mixing inline: the engine clock shows how many engine blocks each device buffer took.
TEST_F(PlayRate, DeviceBuffersTakeEngineBlocksAtTheRate) {
  SetAudioMode(1);
  EngineRig rig;
  EngineChannel* channel = rig.AddChannel(1, 16, 16384, 0);
  auto refillsDone = [channel] {
    for (int h = 0; h < 2; ++h)
      for (int i = 0; i < 4000 && channel->halfCompleted[h].load() != channel->halfRequested[h].load(); ++i) usleep(500);
    return channel->halfCompleted[0].load() == channel->halfRequested[0].load() &&
           channel->halfCompleted[1].load() == channel->halfRequested[1].load();
  };
  gEngineRecordObject.store(rig.driver.channelList);
  rig.Cycle();  // prime
  rig.Cycle();  // warm-up
  ASSERT_EQ(gAudioDriverState.load(), kDriverHandOff);
  struct Step {
    int32_t rate;
    int32_t cycles;
    int64_t blocks;  // engine blocks mixed over those cycles
  };
  for (const Step s : {Step{0x8000, 4, 2}, Step{0x20000, 2, 4}, Step{0x10000, 3, 3}}) {
    SetPlayRate(s.rate);
    int64_t clock = gEngineSampleClock.load();
    for (int32_t i = 0; i < s.cycles; ++i) {
      ASSERT_TRUE(refillsDone());  // the disk keeps up with fast play
      rig.Cycle();
      for (int32_t f = 0; f < kFrames; f += 5)
        ASSERT_NEAR(rig.Sample(0, f), 0.5f, 1e-5) << std::hex << s.rate << " cycle " << i << " frame " << f;
    }
    EXPECT_EQ(gEngineSampleClock.load() - clock, s.blocks * kFrames) << std::hex << s.rate;
    EXPECT_EQ(gAudioDriverState.load(), kDriverRunningAtRate);
  }
  EXPECT_EQ(gEngineError.load(), 0);
}

// From rate 1.0 to 0: one buffer ramps from the last frame heard to silence, then silence;
// back to 1.0: one buffer ramps up, then the signal.
TEST_F(PlayRate, StoppingAndResumingRamp) {
  SetAudioMode(1);
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  rig.Cycle();
  rig.Cycle();
  SetPlayRate(0);
  rig.Cycle();
  for (int32_t f = 0; f < kFrames; ++f) {
    ASSERT_NEAR(rig.Sample(0, f), 0.5f * (1.0f - float(f) / kFrames), 1e-5) << f;
    ASSERT_NEAR(rig.Sample(1, f), 0.5f * (1.0f - float(f) / kFrames), 1e-5) << f;
  }
  rig.Cycle();
  for (int32_t f = 0; f < kFrames; ++f) ASSERT_EQ(rig.Sample(0, f), 0.0f) << f;
  SetPlayRate(0x10000);
  rig.Cycle();
  for (int32_t f = 0; f < kFrames; ++f) ASSERT_NEAR(rig.Sample(0, f), 0.5f * float(f) / kFrames, 1e-5) << f;
  rig.Cycle();
  for (int32_t f = 0; f < kFrames; f += 5) ASSERT_NEAR(rig.Sample(0, f), 0.5f, 1e-5) << f;
}

// Channels on different pairs each ramp on their own pair from their own last frame.
TEST_F(PlayRate, EachChannelRampsOnItsOwnPair) {
  SetAudioMode(1);
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);                // 0.5 on pair 0
  rig.AddChannel(1, 16, 8192, 0)->outputPair = 1;  // 0.25 on pair 1
  rig.Cycle();
  rig.Cycle();
  struct Case {
    int32_t rate;
    bool down;
  };
  for (const Case c : {Case{0, true}, Case{0x10000, false}}) {
    SetPlayRate(c.rate);
    rig.Cycle();
    for (int32_t f = 0; f < kFrames; ++f) {
      float g = c.down ? 1.0f - float(f) / kFrames : float(f) / kFrames;
      for (uint32_t d = 0; d < 4; ++d)
        ASSERT_NEAR(rig.Sample(d, f), (d < 2 ? 0.5f : 0.25f) * g, 1e-5) << c.rate << " channel " << d << " frame " << f;
    }
    if (c.down) {
      rig.Cycle();
      for (uint32_t d = 0; d < 4; ++d) ASSERT_EQ(rig.Sample(d, kFrames - 1), 0.0f) << d;
    }
  }
}

}  // namespace
