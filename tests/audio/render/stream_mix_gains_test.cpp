// Gains and pan as the stream mixer applies them: level and pan come in as automation
// records at the block's first frame, the gains follow the pan law (scaled by the master
// level below unity), and each width scales a ramp block as its formula says: Q15 fixed point
// with saturation for 8 and 16 bits (a copy only at exactly unity), side gain x float gain /
// 32768 for floats; mono is spread to both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_state.h"
#include "audio/render/stream_block_mix.h"
#include "tests/audio/render/stream_mix_fixture.h"

using namespace stream_mix_test;

namespace {

struct GainCase {
  const char* name;
  int16_t width;  // 8, 16 or 32 (float)
  int32_t channels;
  int32_t level, pan, master;
  int32_t step;        // the ramp's step in the block's own scale (floats: x 1/32768)
  float wetScale;      // the float path's gain
};

const GainCase kCases[] = {
    {"16-bit mono centre at unity is a copy", 16, 1, 32768, 64, 4096, 700, 1.0f},
    {"16-bit mono hard left", 16, 1, 32768, 0, 4096, 700, 1.0f},
    {"16-bit mono hard right", 16, 1, 32768, 127, 4096, 700, 1.0f},
    {"16-bit stereo pan 32", 16, 2, 30000, 32, 4096, 700, 1.0f},
    {"16-bit stereo pan 96", 16, 2, 30000, 96, 4096, 700, 1.0f},
    {"16-bit master at half", 16, 2, 32768, 64, 2048, 700, 1.0f},
    {"16-bit master at 0 is silence", 16, 1, 32768, 64, 0, 700, 1.0f},
    {"16-bit master above unity changes nothing", 16, 1, 20000, 64, 8192, 700, 1.0f},
    {"16-bit boost above unity saturates", 16, 2, 49152, 64, 4096, 700, 1.0f},
    {"8-bit mono pan 100", 8, 1, 24000, 100, 4096, 2, 1.0f},
    {"8-bit stereo boost saturates", 8, 2, 60000, 64, 4096, 3, 1.0f},
    {"float stereo pan 20 from integer-scaled samples", 32, 2, 26000, 20, 4096, 700, 1.0f / 32768.0f},
    {"float mono at unity", 32, 1, 32768, 64, 4096, 700, 1.0f / 32768.0f},
};

// The pan law, written out: the level scaled by a master below unity, then left = level up
// to the centre and right = level from it.
void ExpectedGains(const GainCase& c, int32_t* left, int32_t* right) {
  int64_t level = c.master >= 4096 ? c.level : int64_t(c.level) * c.master / 4096;
  if (c.pan <= 64) {
    *left = int32_t(level);
    *right = int32_t((level * c.pan + 32) / 64);
  } else {
    *right = int32_t(level);
    *left = int32_t(std::lround(double(level) * (127 - c.pan) / 63.0));
  }
}

float ExpectedSample(const GainCase& c, int32_t sample, int32_t gain) {
  if (c.width == 32) return float(sample) * float(gain) * c.wetScale / 32768.0f;
  int32_t top = c.width == 8 ? 127 : 32767;
  int32_t v = gain == 32768 ? sample : std::clamp(int32_t((int64_t(sample) * gain) >> 15), -top - 1, top);
  return float(v) / (c.width == 8 ? 128.0f : 32768.0f);
}

void MixCase(const GainCase& c, TestChannel& ch, int32_t* gains) {
  gMasterLevel = c.master;
  ch->automation = MakeAutomation({{0, uint16_t(c.level), 0, kAutomationVolume}, {0, 0, int16_t(c.pan), kAutomationPan}});
  ch->automationCursor = FindAutomationRecord(ch->automation, 0);
  ch->wetScale = c.wetScale;
  std::vector<int16_t> r16 = Ramp16(kBlockFrames, c.channels, c.step);
  std::vector<int8_t> r8 = Ramp8(kBlockFrames, c.channels, c.step);
  std::vector<float> rf = RampFloat(kBlockFrames, c.channels, float(c.step));
  const void* block = c.width == 8 ? static_cast<const void*>(r8.data())
                      : c.width == 16 ? static_cast<const void*>(r16.data()) : rf.data();
  MixStreamBlock(ch.channel, block, 1, 1, c.width / 8, c.channels);
  ExpectedGains(c, &gains[0], &gains[1]);
  gMasterLevel = 4096;
}

}  // namespace

TEST(StreamMixGains, EachWidthScalesARampByThePanLawAndItsFormula) {
  for (const GainCase& c : kCases) {
    TestChannel ch(c.width, c.channels);
    int32_t gains[2];
    MixCase(c, ch, gains);
    EXPECT_EQ(ch->gainLeft, gains[0]) << c.name;
    EXPECT_EQ(ch->gainRight, gains[1]) << c.name;
    EXPECT_EQ(ch->selectorRendered[1], 1) << c.name;
    EXPECT_EQ(ch->selectorRendered[0], 0) << c.name;
    EXPECT_EQ(ch->position, kBlockFrames) << c.name;
    for (int32_t f = 0; f < kBlockFrames; ++f)
      for (int32_t side = 0; side < 2; ++side) {
        int32_t sample = (side == 0 || c.channels == 1 ? 1 : -1) * c.step * (f + 1);
        if (c.width == 8) sample = int8_t(sample);
        ASSERT_NEAR(ch.Out(1, f, side), ExpectedSample(c, sample, gains[side]), 1e-6)
            << c.name << ", frame " << f << ", side " << side;
      }
  }
}

TEST(StreamMixGains, PanEdgesGiveTheLevelOnOneSideAndNothingOnTheOther) {
  const struct { int32_t pan, left, right; } kEdges[] = {{64, 20000, 20000}, {0, 20000, 0}, {127, 0, 20000},
                                                        {200, 0, 20000}};
  for (const auto& e : kEdges) {
    int32_t left = -1, right = -1;
    TestChannel ch;
    ch->volume = 20000;
    ch->automation = MakeAutomation({{0, 0, int16_t(e.pan), kAutomationPan}});
    ch->automationCursor = FindAutomationRecord(ch->automation, 0);
    std::vector<int16_t> block = Ramp16(kBlockFrames, 1, 100);
    MixStreamBlock(ch.channel, block.data(), 0, 1, 2, 1);
    left = ch->gainLeft;
    right = ch->gainRight;
    EXPECT_EQ(left, e.left) << "pan " << e.pan;
    EXPECT_EQ(right, e.right) << "pan " << e.pan;
  }
}

TEST(StreamMixGains, AChannelThatIsNotAudibleOrNotReadyLeavesItsHalfEmpty) {
  for (int variant = 0; variant < 3; ++variant) {
    TestChannel ch;
    std::vector<int16_t> block = Ramp16(kBlockFrames, 1, 100);
    uint8_t ready = variant == 0 ? 0 : 1;
    if (variant == 1) ch->channelFlags &= ~kChannelAudible;
    if (variant == 2) ch->suspended = 1;
    ch->mixBuffer[0][0] = 0.25f;
    MixStreamBlock(ch.channel, block.data(), 0, ready, 2, 1);
    EXPECT_EQ(ch->selectorRendered[0], 0) << variant;
    EXPECT_EQ(ch.Out(0, 0, 0), 0.25f) << variant;  // nothing written
    // The position still moves on (not while suspended: nothing happens then).
    EXPECT_EQ(ch->position, variant == 2 ? 0 : kBlockFrames) << variant;
  }
}
