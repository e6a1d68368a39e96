// Bars, beats and ticks across meter changes, and the degenerate meters that must neither
// divide by zero nor loop for ever.
#include "conductor_fixture.h"

namespace {

class BarsTest : public ConductorTest {
 protected:
  // 4/4 (1920 ticks a bar) to bar 2, 3/4 (1440) to bar 4, 6/8 (240-tick beats, 1440) to
  // bar 6, then 7/8 (1680).
  void SetUp() override {
    ConductorTest::SetUp();
    MeterAt(3841, 3, 4);
    MeterAt(6721, 6, 8);
    MeterAt(9601, 7, 8);
  }
};

struct BarCase {
  int32_t tick, bar, beat, inBeat;
};

const BarCase kBarCases[] = {
    {1, 0, 0, 0},      {480, 0, 0, 479},   {481, 0, 1, 0},    {3840, 1, 3, 479},
    {3841, 2, 0, 0},   {5280, 2, 2, 479},  {5281, 3, 0, 0},   {6721, 4, 0, 0},
    {6961, 4, 1, 0},   {8160, 4, 5, 239},  {9601, 6, 0, 0},   {11280, 6, 6, 239},
    {11281, 7, 0, 0},  {11282, 7, 0, 1},   {20000, 12, 1, 79},
};

TEST_F(BarsTest, TickToBarBeatTickAndBackAcrossMeterChanges) {
  for (const BarCase& c : kBarCases) {
    int32_t bar = -1, beat = -1, inBeat = -1;
    TickToBarBeatTick(c.tick, &bar, &beat, &inBeat);
    EXPECT_EQ(c.bar, bar) << "tick " << c.tick;
    EXPECT_EQ(c.beat, beat) << "tick " << c.tick;
    EXPECT_EQ(c.inBeat, inBeat) << "tick " << c.tick;
    EXPECT_EQ(c.tick, BarBeatTickToTick(c.bar, c.beat, c.inBeat)) << "tick " << c.tick;
    EXPECT_EQ(c.inBeat == 0 && c.beat == 0 ? c.bar : c.bar + 1, TickToBarRoundedUp(c.tick));
  }
}

TEST_F(BarsTest, BarLinesAndBeatLines) {
  const int32_t bars[] = {1, 1921, 3841, 5281, 6721, 8161, 9601, 11281, 12961};
  for (int32_t b = 0; b < 9; ++b) EXPECT_EQ(bars[b], BarToTick(b)) << "bar " << b;
  // BarToTick leaves the meter of the bar in the state.
  BarToTick(5);
  EXPECT_EQ(6, gConductorState.beatsPerBar);
  EXPECT_EQ(240, gConductorState.ticksPerBeat);
  const int32_t beats[][2] = {{0, 1}, {4, 1921}, {8, 3841}, {14, 6721}, {15, 6961}};
  for (const auto& b : beats) EXPECT_EQ(b[1], BeatToTick(b[0])) << "beat " << b[0];
  EXPECT_FLOAT_EQ(8.5f, TickToBeats(3841 + 240));
  EXPECT_DOUBLE_EQ(14.5, SongTickToBeats(Song(), 6721 + 120));
}

TEST_F(ConductorTest, PlainFourFourAtTheStart) {
  EXPECT_EQ(1, BarToTick(0));
  EXPECT_EQ(3841, BarToTick(2));
  int32_t bar, beat, inBeat;
  TickToBarBeatTick(3841, &bar, &beat, &inBeat);
  EXPECT_EQ(2, bar);
  EXPECT_EQ(0, beat);
  EXPECT_EQ(0, inBeat);
}

TEST_F(BarsTest, ZeroTicksPerBarNeitherDividesNorLoops) {
  // A damaged meter record with 0 ticks per beat and per bar at bar 1.
  uint8_t* m = Map();
  WriteU16BE(m + kConductorValueOffset, 0);
  WriteU16BE(m + kConductorTicksPerBarOffset, 0);
  WriteI32BE(m + kConductorTickOffset, 1921);
  NoteConductorMapChanged();
  int32_t bar = 5, beat = 5, inBeat = 5;
  TickToBarBeatTick(50000, &bar, &beat, &inBeat);
  EXPECT_EQ(0, bar);
  EXPECT_EQ(0, beat);
  EXPECT_EQ(0, inBeat);
  BarToTick(0x7fffffff);  // returns without a step per bar
  TickToBeats(50000);
  gConductorState.ticksPerBeat = 0;
  TickToBarBeatTick(1, &bar, &beat, &inBeat);
}

TEST_F(ConductorTest, FarBarsCostOneStepPerMeterChange) {
  // One-tick bars and a meter change two billion ticks on: the walk to it must not take a
  // step per bar.
  Song()[kSongBeatsPerBar] = 1;
  WriteU16BE(Song() + kSongTicksPerBeat, 1);
  gConductorState.beatsPerBar = 2;
  gConductorState.ticksPerBar = 2;
  ASSERT_EQ(noErr, StoreMeterAt(2000000001));
  EXPECT_EQ(2000000001, BarToTick(2000000000));
  EXPECT_EQ(2000000003, BarToTick(2000000001));
  EXPECT_EQ(2000000000, TickToBar(2000000001));
}

TEST_F(ConductorTest, AMeterWithZeroBeatsIsRefused) {
  gConductorState.beatsPerBar = 0;
  EXPECT_EQ(paramErr, StoreMeterAt(5000));
}

}  // namespace
