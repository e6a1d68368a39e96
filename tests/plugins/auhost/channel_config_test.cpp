// Choosing among the channel configurations a unit publishes, and the bus bookkeeping of an
// instance's outputs.
#include <gtest/gtest.h>

#include <vector>

#include "plugins/host/audio_unit_layouts.h"
#include "plugins/host/plugin_instance.h"

namespace {

struct ConfigCase {
  const char* what;
  std::vector<AUChannelInfo> list;
  int16_t wantedInput, wantedOutput;
  int16_t input, output, distance;
};

class ChooseChannelConfigTest : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ChooseChannelConfigTest, PicksTheEntryAndDistance) {
  const ConfigCase& c = GetParam();
  int16_t in = -99, out = -99;
  int16_t distance = ChooseChannelConfig(c.list.data(), int32_t(c.list.size()), c.wantedInput,
                                         c.wantedOutput, &in, &out);
  EXPECT_EQ(c.input, in) << c.what;
  EXPECT_EQ(c.output, out) << c.what;
  EXPECT_EQ(c.distance, distance) << c.what;
}

const ConfigCase kCases[] = {
    {"any-any asked for two inputs", {{-1, -1}}, 2, 6, 2, 2, 0},
    {"any-any at open: nothing is larger, the first as stereo", {{-1, -1}}, -1, -2, 2, 2, 0x7FFF},
    {"exact output, then exact input", {{1, 1}, {2, 2}, {1, 2}}, 1, 2, 1, 2, 0},
    {"exact output stops on a wildcard input", {{2, 2}, {1, 2}}, -1, 2, 2, 2, 0},
    {"more outputs than wanted are not doubled", {{2, 6}}, 2, 2, 2, 6, 4},
    {"fewer outputs than wanted are doubled", {{2, 1}}, 2, 2, 2, 1, 2},
    {"the nearer of two", {{2, 8}, {2, 4}}, 2, 2, 2, 4, 2},
    {"an equal score goes to the wanted input", {{1, 4}, {2, 4}}, 2, 2, 2, 4, 2},
    {"an equal score keeps the first otherwise", {{1, 4}, {3, 4}}, 2, 2, 1, 4, 2},
    {"three outputs are never chosen", {{2, 3}, {2, 8}}, 2, 3, 2, 8, 5},
    {"three outputs alone: nothing scored, the first", {{2, 3}}, 2, 3, 2, 3, 0x7FFF},
    {"more than 32 outputs are skipped", {{2, 34}, {2, 16}}, 2, 34, 2, 16, 36},
    {"a wildcard output is taken at once", {{2, 2}, {2, -8}}, 2, 6, 2, 6, 0},
    {"a wildcard input takes the wanted input", {{-1, 2}}, 1, 2, 1, 2, 0},
    {"a wildcard input without a wanted input is stereo", {{-1, 2}}, -1, 2, 2, 2, 0},
    {"largest output at open", {{1, 1}, {2, 8}, {2, 2}}, -1, -2, 2, 8, 0},
    // At most 32 (not "below 32"): a unit of exactly 32 outputs keeps them all.
    {"largest output may be 32", {{2, 2}, {2, 32}}, -1, -2, 2, 32, 0},
    {"largest output skips more than 32", {{2, 40}, {2, 16}}, -1, -2, 2, 16, 0},
    {"any output: the first", {{1, 1}, {2, 2}}, 4, -1, 1, 1, 0},
    {"any output: the matching input", {{1, 1}, {2, 2}, {2, 4}}, 2, -1, 2, 2, 0},
    {"empty list: what was wanted", {}, 1, 2, 1, 2, 0x7FFF},
};

INSTANTIATE_TEST_SUITE_P(Cases, ChooseChannelConfigTest, ::testing::ValuesIn(kCases));

PluginInstance WithOutputBuses(std::vector<uint8_t> channels) {
  PluginInstance record;
  record.outputBuses = uint32_t(channels.size());
  uint32_t sum = 0;
  for (size_t i = 0; i < channels.size(); ++i) {
    record.outputBusChannels[i] = channels[i];
    sum += channels[i];
  }
  record.outputChannels = sum;
  return record;
}

TEST(OutputBusesTest, FiveBusesOfEightKeepFourForThirtyTwoChannels) {
  PluginInstance record = WithOutputBuses({8, 8, 8, 8, 8});
  TrimOutputBuses(&record, kMaxPluginChannels);
  EXPECT_EQ(4u, record.outputBuses);
  EXPECT_EQ(32u, record.outputChannels);
  EXPECT_EQ(0, record.outputBusChannels[4]);
}

TEST(OutputBusesTest, TheBusThatHoldsTheFirstChannels) {
  const uint8_t channels[] = {2, 2, 6, 1};
  EXPECT_EQ(0u, FindBusOfChannel(channels, 4, 1));   // not even the first bus fits
  EXPECT_EQ(2u, FindBusOfChannel(channels, 4, 5));
  EXPECT_EQ(3u, FindBusOfChannel(channels, 4, 10));
  EXPECT_EQ(4u, FindBusOfChannel(channels, 4, 32));
}

TEST(OutputBusesTest, OutputCountAndStereoMask) {
  PluginInstance stereo = WithOutputBuses({2, 1, 2});
  DeriveOutputLayout(&stereo);
  EXPECT_EQ(3, stereo.outputCount);
  EXPECT_EQ(0b101u, stereo.stereoOutputs);

  PluginInstance wide = WithOutputBuses({2, 6});
  DeriveOutputLayout(&wide);
  EXPECT_EQ(0, wide.outputCount);  // a bus of more than two channels
  EXPECT_EQ(0b01u, wide.stereoOutputs);
}

}  // namespace

namespace {

TEST(ChannelCountChoicesTest, EntriesTheirMultiplesAndWildcards) {
  int32_t counts[24];
  // Stereo pairs over four output buses: 2, 4, 6, 8; a mono entry adds 1 and its multiples.
  const AUChannelInfo pairs[] = {{2, 2}, {1, 1}};
  ASSERT_EQ(6, CountChoicesFromList(pairs, 2, 1, 4, counts));
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4, 6, 8}), std::vector<int32_t>(counts, counts + 6));
  // An instrument's inputs may be 0; outputs start at 1.
  const AUChannelInfo instrument[] = {{0, 2}};
  ASSERT_EQ(1, CountChoicesFromList(instrument, 1, 0, 1, counts));
  EXPECT_EQ(0, counts[0]);
  const AUChannelInfo silent[] = {{2, 0}};
  EXPECT_EQ(0, CountChoicesFromList(silent, 1, 1, 1, counts));
  // -6 offers 2 .. 6; -1 (any) offers from 2 up to the 24 items a menu holds.
  const AUChannelInfo upTo6[] = {{2, -6}};
  ASSERT_EQ(5, CountChoicesFromList(upTo6, 1, 1, 1, counts));
  EXPECT_EQ(2, counts[0]);
  EXPECT_EQ(6, counts[4]);
  const AUChannelInfo any[] = {{-1, -1}};
  ASSERT_EQ(24, CountChoicesFromList(any, 1, 1, 1, counts));
  EXPECT_EQ(25, counts[23]);
  // Nothing above 32: multiples of 16 over three buses stop at 32.
  const AUChannelInfo wide[] = {{0, 16}};
  ASSERT_EQ(2, CountChoicesFromList(wide, 1, 1, 3, counts));
  EXPECT_EQ(32, counts[1]);
}

}  // namespace
