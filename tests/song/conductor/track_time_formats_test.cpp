// The track window's time formats across meter changes (4/4, 3/4, 6/8), the sample format at a
// time selection without a rate, the split into bar, beat and tick under odd meters, and the
// clamp of drawing coordinates.
#include <climits>

#include "conductor_fixture.h"
#include "song/conductor/track_time_formats.h"
#include "song/model/editor_hooks.h"
#include "song/model/window_redraw.h"

namespace {

class TimeFormatsTest : public ConductorTest {
 protected:
  // 4/4 (1920 ticks a bar) to bar 2, 3/4 (1440) to bar 4, then 6/8 (240-tick beats).
  void SetUp() override {
    ConductorTest::SetUp();
    MeterAt(3841, 3, 4);
    MeterAt(6721, 6, 8);
    gTrackTimeFormat = kTimeFormatBarsRoundedUp;
  }
  void TearDown() override { gTrackTimeFormat = kTimeFormatBarsRoundedUp; }
};

TEST_F(TimeFormatsTest, EachFormatFollowsTheMeterChanges) {
  struct Case {
    int32_t tick;
    uint16_t format;
    int32_t want;
  } cases[] = {
      {481, kTimeFormatBeats, 1},    {3841, kTimeFormatBeats, 8},
      {6721, kTimeFormatBeats, 14},  {6961, kTimeFormatBeats, 15},
      {3840, kTimeFormatBar, 1},     {3841, kTimeFormatBar, 2},
      {6721, kTimeFormatBar, 4},     {5000, kTimeFormatTicks, 5000},
      {3841, kTimeFormatBarsRoundedUp, TickToBarRoundedUp(3841)},
      {3841, 9, TickToBarRoundedUp(3841)},  // an unknown format counts bars rounded up
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, ConvertTimeValue(c.tick, c.format)) << c.tick << " in format " << c.format;
  }
}

TEST_F(TimeFormatsTest, SamplesNeitherPassTheI32RangeNorDivideByAMissingRate) {
  gTimeSelection.start.rate = 0.0f;  // the ordinary case without audio tracks
  EXPECT_FLOAT_EQ(kDefaultSampleRate, GetSelectionSampleRate());
  int64_t second = TickToSamplesAtSelectionRate(961);  // 120 BPM: 960 ticks a second
  EXPECT_NEAR(double(kDefaultSampleRate), double(second), 2.0);
  EXPECT_NEAR(961.0, double(SamplesToTickAtSelectionRate(second)), 1.0);
  EXPECT_EQ(INT32_MAX, ConvertTimeValue(INT32_MAX - 1, kTimeFormatSamples));
  gTimeSelection.start.rate = 96000.0f;
  EXPECT_NEAR(96000.0, double(TickToSamplesAtSelectionRate(961)), 3.0);
}

TEST_F(TimeFormatsTest, TheVisibleSpanIsNeverNarrowerThanTwo) {
  gTrackTimeFormat = kTimeFormatTicks;
  EXPECT_EQ(kMinVisibleSpan, GetVisibleSpan(500, 500));
  EXPECT_EQ(kMinVisibleSpan, GetVisibleSpan(900, 500));
  EXPECT_EQ(1000, GetVisibleSpan(500, 1500));
  gTrackTimeFormat = kTimeFormatBar;
  EXPECT_EQ(kMinVisibleSpan, GetVisibleSpan(1, 1921));  // one bar still shows two
}

int gRowRedraws = 0;

TEST_F(TimeFormatsTest, TheViewOriginRedrawsTheRowsWhenItMovesRight) {
  SongEditorHooks saved = gSongEditorHooks;
  gSongEditorHooks.markRowsForRedraw = [] { ++gRowRedraws; };
  gViewOriginTick = 1;
  gViewOriginValue = 0;
  gTrackTimeFormat = kTimeFormatBar;
  struct Case {
    int32_t tick;
    int32_t value;
    int redraws;  // rows marked so far
  } cases[] = {
      {3841, 2, 1},  // bar 2 (4/4 bars before it)
      {3841, 2, 1},  // already there: nothing
      {1921, 1, 1},  // moving left marks no row
      {6721, 4, 2},  // past the 3/4 bars
      {-50, 0, 2},   // ticks below 1 count as 1
  };
  gRowRedraws = 0;
  for (const Case& c : cases) {
    uint32_t tracks = gRedrawRequests[5];
    bool moves = (c.tick < 1 ? 1 : c.tick) != gViewOriginTick;
    ScrollTrackWindowTo(c.tick);
    EXPECT_EQ(c.value, gViewOriginValue) << c.tick;
    EXPECT_EQ(c.value, GetViewStartInFormat()) << c.tick;
    EXPECT_EQ(c.redraws, gRowRedraws) << c.tick;
    EXPECT_EQ(moves ? tracks + 1 : tracks, gRedrawRequests[5]) << c.tick;
  }
  int32_t range[2];
  gTrackTimeFormat = kTimeFormatTicks;
  ConvertTimeRange(480, 960, range);
  EXPECT_EQ(480, range[0]);
  EXPECT_EQ(960, range[1]);
  gViewOriginTick = 1;
  gViewOriginValue = 0;
  gSongEditorHooks = saved;
}

TEST(SplitBarBeatTick, OddMetersAndMissingLengths) {
  struct Case {
    int32_t perBar, perBeat, t;
    int32_t bar, beat, tick;
  } cases[] = {
      {1920, 480, 5000, 2, 2, 200},  // 4/4 at 480
      {1440, 240, 5000, 3, 2, 200},  // 6/8 at 480
      {1400, 200, 1399, 0, 6, 199},  // 7/8 at 400
      {-1, 480, 77, -77, 0, 0},      // a bar length of -1
      {0, 480, 5000, 0, 10, 200},    // no bar length yet: no division
      {1920, 0, 5000, 2, 0, 1160},   // no beat length yet
  };
  ConductorState saved = gConductorState;
  for (const Case& c : cases) {
    gConductorState.ticksPerBar = c.perBar;
    gConductorState.ticksPerBeat = c.perBeat;
    int32_t bar = -9, beat = -9, tick = -9;
    SplitBarBeatTick(c.t, &bar, &beat, &tick);
    EXPECT_EQ(c.bar, bar) << c.perBar << "/" << c.perBeat << " " << c.t;
    EXPECT_EQ(c.beat, beat) << c.perBar << "/" << c.perBeat << " " << c.t;
    EXPECT_EQ(c.tick, tick) << c.perBar << "/" << c.perBeat << " " << c.t;
  }
  gConductorState = saved;
}

TEST(ClampToShortRange, StaysOnTheBoundAndGrowsWithTheValue) {
  struct Case {
    int32_t v, want;
  } cases[] = {
      {-40000, -16384}, {40000, 16384},  {-32768, -16384}, {-32767, -16384},
      {32766, 16384},   {16385, 16384},  {-16384, -16384}, {16384, 16384},
      {0, 0},           {-123, -123},    {INT32_MIN, -16384}, {INT32_MAX, 16384},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, ClampToShortRange(c.v)) << c.v;
  for (int32_t v = -40000; v < 40000; v += 7) EXPECT_LE(ClampToShortRange(v), ClampToShortRange(v + 7));
}

}  // namespace
