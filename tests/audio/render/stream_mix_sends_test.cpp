// Where a block goes besides the channel's own half: into its target channel at unity (its own
// half then empty), into aux busses by its sends (pre-fader: the source block with the send's
// gains; post-fader: the channel's gained half), and for the further channels of one stream
// each its own part of the block. The first writer of a half copies, later writers add, 16-bit
// sums saturating.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/render/stream_accumulate.h"
#include "audio/render/stream_block_mix.h"
#include "tests/audio/render/stream_mix_fixture.h"

using namespace stream_mix_test;

namespace {

int32_t Q15(int32_t v, int32_t g) { return std::clamp(int32_t((int64_t(v) * g) >> 15), -32768, 32767); }

}  // namespace

TEST(StreamMixSends, AChannelWithATargetFeedsItTheUnscaledBlockAndLeavesItsOwnHalfEmpty) {
  TestChannel a, b, target(16, 2);
  a->targetChannel = target.channel;
  b->targetChannel = target.channel;
  a->gainLeft = a->gainRight = 16384;  // the target plays the block at unity whatever the gains
  std::vector<int16_t> ra = Ramp16(kBlockFrames, 1, 700);
  std::vector<int16_t> rb = Ramp16(kBlockFrames, 2, 300);
  MixStreamBlock(a.channel, ra.data(), 1, 1, 2, 1);
  EXPECT_EQ(a->selectorRendered[1], 0);
  EXPECT_EQ(target->selectorRendered[1], 1);
  MixStreamBlock(b.channel, rb.data(), 1, 1, 2, 2);
  for (int32_t f = 0; f < kBlockFrames; ++f) {
    ASSERT_EQ(target.Out16(1, f, 0), std::min(700 * (f + 1) + 300 * (f + 1), 32767)) << f;
    ASSERT_EQ(target.Out16(1, f, 1), std::min(700 * (f + 1), 32767) - 300 * (f + 1)) << f;
  }
}

TEST(StreamMixSends, SixteenBitSumsSaturateAndAMutedTargetTakesNothing) {
  TestChannel target(16, 2);
  std::vector<int16_t> up(size_t(kBlockFrames) * 2, 30000), down(size_t(kBlockFrames) * 2, -30000);
  AccumulateInt16(up.data(), target.channel, 0, kBlockFrames, 32768, 32768, 2);
  AccumulateInt16(up.data(), target.channel, 0, kBlockFrames, 32768, 32768, 2);
  EXPECT_EQ(target.Out16(0, 3, 0), 32767);
  AccumulateInt16(down.data(), target.channel, 1, kBlockFrames, 32768, 32768, 2);
  AccumulateInt16(down.data(), target.channel, 1, kBlockFrames, 40000, 40000, 2);
  EXPECT_EQ(target.Out16(1, 3, 1), -32768);
  target->muted = 1;
  target->selectorRendered[0] = 0;
  AccumulateInt16(down.data(), target.channel, 0, kBlockFrames, 32768, 32768, 2);
  EXPECT_EQ(target->selectorRendered[0], 0);
  EXPECT_EQ(target.Out16(0, 3, 0), 32767);
}

TEST(StreamMixSends, ASumNeverRunsPastTheTargetsOwnBlock) {
  TestChannel source(16, 2, 2 * kBlockFrames), target(16, 2);
  std::vector<float> guard(size_t(kBlockFrames) * 2 + 8, 0.5f);
  float* const own = target->mixBuffer[0];
  target->mixBuffer[0] = guard.data();  // the target's half, with room behind it to see a write
  source->targetChannel = target.channel;
  std::vector<int16_t> block = Ramp16(2 * kBlockFrames, 2, 10);
  MixStreamBlock(source.channel, block.data(), 0, 1, 2, 2);
  EXPECT_EQ(guard[2 * kBlockFrames - 1] * 32768.0f, -10 * kBlockFrames);
  for (size_t i = 2 * kBlockFrames; i < guard.size(); ++i) EXPECT_EQ(guard[i], 0.5f) << i;
  target->mixBuffer[0] = own;
}

TEST(StreamMixSends, PreFaderSendsTakeTheSourceAndPostFaderSendsTheGainedHalf) {
  AuxBuses buses(3);
  TestChannel ch(16, 2);
  ch->gainLeft = 16384;
  ch->gainRight = 24576;
  ch->sendGains[0] = ChannelSend{1, 0, 64, 20000, 20000, 10000};  // pre-fader
  ch->sendGains[1] = ChannelSend{3, 1, 64, 32768, 32768, 8192};   // post-fader
  std::vector<int16_t> block = Ramp16(kBlockFrames, 2, 500);
  MixStreamBlock(ch.channel, block.data(), 0, 1, 2, 2);
  EXPECT_EQ(buses.Bus(2)->selectorRendered[0], 0);
  // The bus renders nothing of its own this cycle: it keeps the sum.
  MixStreamBlock(buses.Bus(1), nullptr, 0, 1, 4, 2);
  EXPECT_EQ(buses.Bus(1)->selectorRendered[0], 1);
  for (int32_t f = 0; f < kBlockFrames; ++f) {
    int32_t l = 500 * (f + 1), r = -l;
    ASSERT_EQ(buses.Bus(1)->mixBuffer[0][2 * f] * 32768.0f, Q15(l, 20000)) << f;
    ASSERT_EQ(buses.Bus(1)->mixBuffer[0][2 * f + 1] * 32768.0f, Q15(r, 10000)) << f;
    ASSERT_EQ(buses.Bus(3)->mixBuffer[0][2 * f] * 32768.0f, Q15(l, 16384)) << f;  // unity on the left
    ASSERT_EQ(buses.Bus(3)->mixBuffer[0][2 * f + 1] * 32768.0f, Q15(Q15(r, 24576), 8192)) << f;
  }
}

TEST(StreamMixSends, FloatSendsScaleTheSourceByTheFloatGainAndTheHalfAtUnity) {
  AuxBuses buses(2, 32);
  TestChannel ch(32, 1);
  ch->wetScale = 1.0f / 32768.0f;  // integer-scaled samples
  ch->gainLeft = ch->gainRight = 16384;
  ch->sendGains[0] = ChannelSend{1, 0, 64, 32768, 32768, 16384};
  ch->sendGains[1] = ChannelSend{2, 1, 64, 32768, 32768, 32768};
  std::vector<float> block = RampFloat(kBlockFrames, 1, 600.0f);
  MixStreamBlock(ch.channel, block.data(), 1, 1, 4, 1);
  for (int32_t f = 0; f < kBlockFrames; ++f) {
    float s = 600.0f * float(f + 1) / 32768.0f;
    ASSERT_NEAR(ch.Out(1, f, 0), s * 0.5f, 1e-6) << f;
    ASSERT_NEAR(buses.Bus(1)->mixBuffer[1][2 * f], s, 1e-6) << f;
    ASSERT_NEAR(buses.Bus(1)->mixBuffer[1][2 * f + 1], s * 0.5f, 1e-6) << f;
    ASSERT_NEAR(buses.Bus(2)->mixBuffer[1][2 * f + 1], s * 0.5f, 1e-6) << f;
  }
}

TEST(StreamMixSends, FurtherChannelsOfAStreamEachTakeTheirOwnPartOfTheBlock) {
  TestChannel main(16, 1), stopped(16, 2), last(16, 2);
  main->streamChannels[0] = stopped.channel;
  main->streamChannels[1] = last.channel;
  stopped->stopped = 1;
  last->gainLeft = 16384;
  std::vector<int16_t> block = Ramp16(kBlockFrames, 1, 100);
  std::vector<int16_t> skipped = Ramp16(kBlockFrames, 2, 200), own = Ramp16(kBlockFrames, 2, 300);
  block.insert(block.end(), skipped.begin(), skipped.end());
  block.insert(block.end(), own.begin(), own.end());
  MixStreamBlock(main.channel, block.data(), 0, 1, 2, 1);
  EXPECT_EQ(stopped->selectorRendered[0], 0);
  EXPECT_EQ(last->position, kBlockFrames);
  for (int32_t f = 0; f < kBlockFrames; ++f) {
    ASSERT_EQ(main.Out16(0, f, 1), 100 * (f + 1)) << f;
    ASSERT_EQ(last.Out16(0, f, 0), Q15(300 * (f + 1), 16384)) << f;
    ASSERT_EQ(last.Out16(0, f, 1), -300 * (f + 1)) << f;
  }
}

TEST(StreamMixSends, TheRawCopyTakesTheUnscaledBlockAndZerosForAFloatChannelThatIsNotActive) {
  for (int16_t width : {16, 32}) {
    TestChannel ch(width, 1);
    std::vector<uint8_t> raw(size_t(kBlockFrames) * 4, 0xAB);
    ch->rawCopy = raw.data();
    ch->rawCopyBytes = int32_t(raw.size());
    ch->gainLeft = ch->gainRight = 8192;
    std::vector<int16_t> r16 = Ramp16(kBlockFrames, 1, 100);
    std::vector<float> rf = RampFloat(kBlockFrames, 1, 0.01f);
    const void* block = width == 16 ? static_cast<const void*>(r16.data()) : rf.data();
    size_t bytes = size_t(kBlockFrames) * (width / 8);
    MixStreamBlock(ch.channel, block, 0, 1, width / 8, 1);
    EXPECT_EQ(std::memcmp(raw.data(), block, bytes), 0) << width;
    if (width != 32) continue;
    MixStreamBlock(ch.channel, block, 0, 0, 4, 1);
    EXPECT_TRUE(std::all_of(raw.begin(), raw.begin() + long(bytes), [](uint8_t b) { return b == 0; }));
  }
}
