// Ticks and real time across tempo changes, through the tempo table and exactly, with the
// repeat flag; the tempo limits; and the index against a plain walk of the map.
#include <cmath>
#include <random>

#include "conductor_fixture.h"
#include "song/conductor/sample_position.h"

namespace {

// 120 BPM (2.5 subframes a tick) to tick 1001, 60 BPM (5) to tick 2001, then 240 BPM (1.25).
class TimeTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    TempoAt(1001, 600);
    TempoAt(2001, 2400);
  }
  void Repeat(uint32_t endTick) {
    WriteU32BE(Song() + kSongEndTick, endTick);
    Song()[kSongOptions] |= kSongOptionRepeat;
  }
};

const uint32_t kTimeCases[][2] = {{1, 0},       {2, 3},       {1001, 2500}, {1500, 4995},
                                  {2001, 7500}, {3001, 8750}, {2002, 7501}};

TEST_F(TimeTest, TickToTimeAndBackThroughTheTable) {
  for (const auto& c : kTimeCases) {
    EXPECT_EQ(c[1], TickToTime(int32_t(c[0]))) << "tick " << c[0];
    EXPECT_EQ(int32_t(c[0]), TimeToTick(int32_t(c[1]))) << "time " << c[1];
  }
  EXPECT_EQ(1001, TimeToTick(2501));
  EXPECT_EQ(1, TimeToTick(-50));
}

TEST_F(TimeTest, ConversionsLeaveTheTempoInForceInTheState) {
  TickToTime(1500);
  EXPECT_EQ(600u, gConductorState.tempo);
  uint8_t* record = nullptr;
  TickToTimeWithRecord(2001, &record);  // a change at the tick itself is applied
  EXPECT_EQ(2400u, gConductorState.tempo);
  EXPECT_EQ(2001, ConductorTick(record));
  TimeToTick(3000);
  EXPECT_EQ(600u, gConductorState.tempo);
  EXPECT_EQ(5000u, TickToTimeFrom(1001, 2001));
}

struct ExactCase {
  int64_t tick;
  double repeating;  // song end tick 4001: the tempo map starts again every 4000 ticks
  double plain;
};

const ExactCase kExactCases[] = {
    {1, 0, 0},           {1001, 2500, 2500},   {2001, 7500, 7500},
    {4001, 10000, 10000}, {5001, 12500, 11250}, {6001, 17500, 12500},
    {8001, 20000, 15000}, {40001, 100000, 55000},
};

TEST_F(TimeTest, ExactConversionsFollowTheRepeatFlag) {
  WriteU32BE(Song() + kSongEndTick, 4001);
  for (const ExactCase& c : kExactCases) {
    double t = TickToSubframesExact(Song(), c.tick);
    EXPECT_NEAR(c.plain, t, 1e-6) << "tick " << c.tick;
    EXPECT_EQ(c.tick, SubframesToTickExact(t, &gConductorState, Song())) << "tick " << c.tick;
  }
  Repeat(4001);
  for (const ExactCase& c : kExactCases) {
    double t = TickToSubframesExact(Song(), c.tick);
    EXPECT_NEAR(c.repeating, t, 1e-6) << "tick " << c.tick;
    EXPECT_EQ(c.tick, SubframesToTickExact(t, &gConductorState, Song())) << "tick " << c.tick;
  }
}

// A range of ticks converted at once gives each tick the value it has alone, across tempo
// changes and the repeat, from ticks below 1 on; the positions at a rate as well.
TEST_F(TimeTest, ARangeOfTicksConvertsAsEachTickAlone) {
  for (bool repeat : {false, true}) {
    if (repeat) Repeat(4001);
    const int64_t firsts[] = {-2, 1, 995, 3990, 7997};
    for (int64_t first : firsts) {
      double range[1200];
      TickRangeToSubframesExact(Song(), first, 1200, range);
      for (int32_t i = 0; i < 1200; ++i)
        ASSERT_EQ(TickToSubframesExact(Song(), first + i), range[i]) << "tick " << first + i << " repeat " << repeat;
    }
    int64_t positions[1500];
    TickRangeToSamplePositionsInSong(-1, 1500, 44100.0f, Song(), positions);
    for (int32_t i = 0; i < 1500; ++i)
      ASSERT_EQ(TickToSamplePositionInSong(i - 1, 44100.0f, Song()), positions[i]) << "tick " << i - 1;
  }
}

TEST_F(TimeTest, ARepeatingSongOfNoLengthDoesNotRepeat) {
  Repeat(1);
  EXPECT_NEAR(11250.0, TickToSubframesExact(Song(), 5001), 1e-6);
  EXPECT_EQ(5001, SubframesToTickExact(11250.0, &gConductorState, Song()));
}

TEST_F(TimeTest, CachedTimesFollowChangesOfTheMapHeaderAndFactor) {
  EXPECT_EQ(8750u, TickToTime(3001));
  TempoAt(2001, 1200);
  EXPECT_EQ(10000u, TickToTime(3001));
  WriteU16BE(Song() + kSongTempo, 2400);  // the header's tempo is part of the key
  EXPECT_EQ(1250u, TickToTime(1001));
  gClockTempoFactor = 4096;  // 200 %
  EXPECT_EQ(2500u, TickToTime(2001) - TickToTime(1001));
  gClockTempoFactor = kUnityTempoFactor;
}

TEST_F(ConductorTest, TheIndexAnswersAsAWalkOfTheWholeMap) {
  std::mt19937 random(7);
  for (int32_t i = 0; i < 1000; ++i)
    TempoAt(2 + int32_t(random() % 2000000), 120 + int32_t(random() % 2281));
  WriteU32BE(Song() + kSongEndTick, 2100000);
  for (int32_t i = 0; i < 3000; ++i) {
    int32_t tick = 1 + int32_t(random() % 2100000);
    uint32_t time = TickToTime(tick);
    ASSERT_EQ(ReferenceTickToTime(Song(), tick), time) << "tick " << tick;
    int32_t back = TimeToTick(int32_t(time));
    ASSERT_LE(std::abs(back - tick), 1) << "tick " << tick;
    double exact = TickToSubframesExact(Song(), tick);
    ASSERT_EQ(tick, SubframesToTickExact(exact, &gConductorState, Song())) << "tick " << tick;
  }
  Song()[kSongOptions] |= kSongOptionRepeat;
  for (int32_t i = 0; i < 300; ++i) {
    int64_t tick = 1 + int64_t(random() % 50000000);
    double exact = TickToSubframesExact(Song(), tick);
    ASSERT_EQ(tick, SubframesToTickExact(exact, &gConductorState, Song())) << "tick " << tick;
  }
}

TEST_F(TimeTest, AnUnsortedMapIsWalkedInItsOwnOrder) {
  TempoAt(3001, 900);
  uint8_t* m = Map();
  WriteI32BE(m + kConductorTickOffset, 2500);  // 1001 -> 2500, in front of 2001
  NoteConductorMapChanged();
  for (int32_t tick : {1, 1000, 2400, 2600, 3500, 9000})
    EXPECT_EQ(ReferenceTickToTime(Song(), tick), TickToTime(tick)) << "tick " << tick;
}

TEST_F(ConductorTest, TempoLimits) {
  const int32_t clamp[][2] = {{-5, 120}, {0, 120}, {119, 120}, {120, 120}, {4500, 4500},
                              {4501, 4500}, {65535, 4500}};
  for (const auto& c : clamp) EXPECT_EQ(c[1], ClampTempo(c[0])) << c[0];
  // Tempo, factor, scaled: the product is formed before it is narrowed.
  const int32_t scale[][3] = {{1200, 2048, 1200}, {1200, 512, 300}, {100, 2048, 120},
                              {1100, 65535, 4500}, {4500, 65535, 4500}, {65535, 65535, 4500},
                              {0, 2048, 120}, {1200, 1, 120}};
  for (const auto& c : scale) EXPECT_EQ(c[2], ScaleTempoValue(c[0], c[1])) << c[0] << " " << c[1];
  gClockTempoFactor = 1024;
  EXPECT_EQ(600, ScaleTempoValue(1200, 0));
  gClockTempoFactor = 0;
  EXPECT_EQ(120, ScaleTempoValue(1200, 0));
  gClockTempoFactor = kUnityTempoFactor;
  EXPECT_EQ(GetTempoTableEntry(120), GetTempoTableEntry(50));
  EXPECT_EQ(GetTempoTableEntry(4500), GetTempoTableEntry(9000));
  EXPECT_EQ(uint32_t(2.5 * 65536), GetTempoTableEntry(1200));
}

TEST_F(ConductorTest, DegenerateTempoAndResolutionDoNotDivideByZero) {
  TempoAt(500, 0);  // tempo 0 plays as the slowest tempo
  EXPECT_EQ(26248u, TickToTime(1500));  // 499 x 2.5 + 1000 x 25, rounded
  int32_t resolution = gTempoTableResolution;
  gTempoTableResolution = 0;
  EXPECT_EQ(0.0, TicksToSubframesExact(100, 1200));
  EXPECT_EQ(0.0, TickToSubframesExact(Song(), 1000));
  EXPECT_GE(SubframesToTickExact(5000.0, &gConductorState, Song()), 1);
  gTempoTableResolution = resolution;
}

TEST_F(ConductorTest, WithoutASongConversionsAnswerTheirDefaults) {
  uint8_t* song = gCurrentSong;
  gCurrentSong = nullptr;
  EXPECT_EQ(0u, TickToTime(5000));
  EXPECT_EQ(1, TimeToTick(5000));
  EXPECT_EQ(0.0, TickToSubframesExact(nullptr, 5000));
  EXPECT_EQ(1, SubframesToTickExact(5000.0, &gConductorState, nullptr));
  EXPECT_EQ(0, GetConductorEndTick());
  EXPECT_EQ(noErr, SetTempoAt(1000, 500));
  gCurrentSong = song;
  EXPECT_EQ(0, Count());
}

}  // namespace
