// The fade state machine over a ramp block: 2 and 4 fade out across the block (then 5 or 8),
// 5 and 6 wait a block each, 7 silences the channel and stops it unless it renders an
// instrument, 9 and 10 fade in; in state 0 the float path ramps from the previous gains.
#include <gtest/gtest.h>

#include <vector>

#include "audio/render/stream_block_mix.h"
#include "tests/audio/render/stream_mix_fixture.h"

using namespace stream_mix_test;

namespace {

struct FadeCase {
  const char* name;
  int16_t width;
  uint8_t state, next;
  int shape;  // 0 as mixed, 1 fade out, 2 fade in, 3 empty
};

const FadeCase kCases[] = {
    {"16-bit fade out, then wait", 16, 2, 5, 1},   {"16-bit fade out, then rest", 16, 4, 8, 1},
    {"float fade out", 32, 2, 5, 1},                {"first wait", 16, 5, 6, 3},
    {"second wait", 16, 6, 7, 3},                   {"at rest", 16, 8, 8, 3},
    {"16-bit fade in", 16, 9, 11, 2},               {"16-bit second fade in", 16, 10, 11, 2},
    {"float fade in", 32, 9, 11, 2},                {"faded in holds", 16, 11, 11, 0},
    {"state 1 holds", 16, 1, 1, 0},                 {"state 3 holds", 32, 3, 3, 0},
};

}  // namespace

TEST(StreamMixFades, EachStateShapesTheBlockAndMovesOn) {
  constexpr int32_t n = kBlockFrames;
  for (const FadeCase& c : kCases) {
    TestChannel ch(c.width, 1);
    ch->fadeState = c.state;
    ch->wetScale = 1.0f / 32768.0f;
    std::vector<int16_t> r16 = Ramp16(n, 1, 700);
    std::vector<float> rf = RampFloat(n, 1, 700.0f);
    const void* block = c.width == 16 ? static_cast<const void*>(r16.data()) : rf.data();
    MixStreamBlock(ch.channel, block, 0, 1, c.width / 8, 1);
    EXPECT_EQ(ch->fadeState, c.next) << c.name;
    EXPECT_EQ(ch->selectorRendered[0], c.shape == 3 ? 0 : 1) << c.name;
    if (c.shape == 3) continue;
    for (int32_t f = 0; f < n; ++f) {
      int32_t v = 700 * (f + 1);
      int32_t want = c.shape == 1 ? int32_t(int64_t(v) * (n - f) / n) : c.shape == 2 ? int32_t(int64_t(v) * f / n) : v;
      ASSERT_NEAR(ch.Out16(0, f, 0), want, c.width == 16 ? 0 : 1) << c.name << ", frame " << f;
      ASSERT_EQ(ch.Out(0, f, 1), ch.Out(0, f, 0)) << c.name << ", frame " << f;
    }
  }
}

TEST(StreamMixFades, StateSevenStopsAStreamButAnInstrumentChannelRunsOnAtRest) {
  for (uint8_t instrument : {0, 1}) {
    TestChannel ch;
    ch->fadeState = kFadeStateSilence;
    ch->instrumentSource = instrument;
    ch->peakLeft = ch->peakRight = 1234;
    std::vector<int16_t> block = Ramp16(kBlockFrames, 1, 700);
    MixStreamBlock(ch.channel, block.data(), 1, 1, 2, 1);
    EXPECT_EQ(ch->selectorRendered[1], 0);
    EXPECT_EQ(ch->stopped, instrument ? 0 : 1);
    EXPECT_EQ(ch->peakLeft, 0);
    EXPECT_EQ(ch->peakRight, 0);
    EXPECT_EQ(ch->fadeState, kFadeStateRest);
    // At rest nothing more is written, whatever the caller hands in.
    MixStreamBlock(ch.channel, block.data(), 1, 1, 2, 1);
    EXPECT_EQ(ch->selectorRendered[1], 0);
  }
}

TEST(StreamMixFades, AFadeOutOfAChannelThatIsNotReadyStillMovesTheStateOn) {
  TestChannel ch;
  ch->fadeState = kFadeStateOutThenWait;
  std::vector<int16_t> block = Ramp16(kBlockFrames, 1, 700);
  for (uint8_t want : {kFadeStateWait1, kFadeStateWait2, kFadeStateSilence, kFadeStateRest}) {
    MixStreamBlock(ch.channel, block.data(), 0, 0, 2, 1);
    EXPECT_EQ(ch->fadeState, want);
  }
  EXPECT_EQ(ch->stopped, 1);
}

TEST(StreamMixFades, TheFloatPathRampsFromThePreviousGainsOnceAndThenPlaysTheNewOnes) {
  constexpr int32_t n = kBlockFrames;
  TestChannel ch(32, 2);
  ch->wetScale = 1.0f;
  ch->previousGainLeft = 0;
  ch->previousGainRight = 32768;
  ch->gainLeft = 32768;
  ch->gainRight = 8192;
  std::vector<float> block = RampFloat(n, 2, 0.01f);
  MixStreamBlock(ch.channel, block.data(), 0, 1, 4, 2);
  for (int32_t f = 0; f < n; ++f) {
    float l = 0.01f * float(f + 1), r = -l;
    ASSERT_NEAR(ch.Out(0, f, 0), l * (float(f) / n), 1e-6) << f;
    ASSERT_NEAR(ch.Out(0, f, 1), r * (1.0f - 0.75f * float(f) / n), 1e-6) << f;
  }
  EXPECT_EQ(ch->previousGainLeft, -1);
  EXPECT_EQ(ch->previousGainRight, -1);
  MixStreamBlock(ch.channel, block.data(), 1, 1, 4, 2);
  for (int32_t f = 0; f < n; ++f) ASSERT_NEAR(ch.Out(1, f, 1), -0.01f * float(f + 1) * 0.25f, 1e-6) << f;
}

TEST(StreamMixFades, FloatGainsOfZeroLeaveTheHalfEmpty) {
  TestChannel ch(32, 2);
  ch->gainLeft = ch->gainRight = 0;
  std::vector<float> block = RampFloat(kBlockFrames, 2, 0.01f);
  MixStreamBlock(ch.channel, block.data(), 0, 1, 4, 2);
  EXPECT_EQ(ch->selectorRendered[0], 0);
  EXPECT_EQ(ch.Out(0, 7, 0), 0.0f);
}
