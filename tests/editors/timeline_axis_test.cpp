// The main editor's time axis: pixels and ticks (and samples) both ways over the zoom levels,
// the QuickDraw clamp, the lane value scales and the small geometric helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "editors/timeline/lane_values.h"
#include "editors/timeline/number_text.h"
#include "editors/timeline/polar_points.h"
#include "editors/timeline/timeline_axis.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/sample_position.h"
#include "tests/song/conductor/conductor_fixture.h"

namespace {

class TimelineAxisTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    gZoomLevel = kInitialZoomLevel;
    gTimelineLeftTick = 1;
    gTimelineLeftSample = 0;
    gTimelineFrame = TimelineFrame();
    gCurrentViewMode = 0;
  }
  void TearDown() override {
    gZoomLevel = kInitialZoomLevel;
    gTimelineLeftTick = 1;
    gTimelineLeftSample = 0;
    gTimelineFrame = TimelineFrame();
  }
  void UseResolution(int32_t ticksPerQuarter, int32_t numerator, int32_t denominator) {
    ChangeResolutionTo(ticksPerQuarter);
    MeterAt(1, numerator, denominator);
  }
};

struct Axis {
  int16_t level;
  int32_t ticksPerQuarter, numerator, denominator;
  int32_t leftTick;
  int16_t originX;
};

const Axis kAxes[] = {
    {0, 480, 4, 4, 1, 28},      {3, 480, 4, 4, 1, 28},     {3, 97, 6, 8, 5001, 96},
    {5, 960, 6, 8, 123457, 28}, {7, 97, 4, 4, 1, 140},     {12, 960, 4, 4, 77, 28},
    {1, 97, 6, 8, 98, 255},     {20, 960, 6, 8, 1, 28},
};

TEST_F(TimelineAxisTest, PixelsAndTicksRoundTripOverZoomsAndResolutions) {
  for (const Axis& a : kAxes) {
    UseResolution(a.ticksPerQuarter, a.numerator, a.denominator);
    gZoomLevel = a.level;
    gTimelineLeftTick = a.leftTick;
    gTimelineFrame.originX = a.originX;
    SCOPED_TRACE(testing::Message() << "level " << a.level << " resolution " << a.ticksPerQuarter);
    EXPECT_EQ(XToTime(a.originX), a.leftTick);
    EXPECT_EQ(XToTime(a.originX + 1), a.leftTick + (1 << a.level));
    for (int32_t x = a.originX; x < a.originX + 600; x += 37) {
      int32_t tick = XToTime(x);
      EXPECT_EQ(TimeToX(tick, gTimelineLeftTick), x);
      EXPECT_EQ(XToTime(TimeToX(tick, gTimelineLeftTick)), tick);
      // Every tick of a pixel's span lies on that pixel.
      EXPECT_EQ(TimeToX(tick + (1 << a.level) - 1, gTimelineLeftTick), x);
    }
  }
}

TEST_F(TimelineAxisTest, TicksLeftOfTheOriginStopAtOne) {
  gZoomLevel = 3;
  gTimelineLeftTick = 41;
  EXPECT_EQ(XToTime(gTimelineFrame.originX - 2), 25);
  EXPECT_EQ(XToTime(gTimelineFrame.originX - 5), 1);
  EXPECT_EQ(XToTime(-30000), 1);
  gZoomLevel = 40;  // a shift of 32 or more adds nothing
  EXPECT_EQ(XToTime(gTimelineFrame.originX + 9), 41);
  EXPECT_GE(GetTimelineRightTick(), 1);
}

TEST_F(TimelineAxisTest, TheClampHoldsBothEndsAtEveryZoom) {
  gTimelineLeftTick = 1'000'000;
  for (int16_t level : {0, 1, 3, 8, 31, 40}) {
    gZoomLevel = level;
    for (int32_t tick : {1, 999'999, 1'000'000, 1'000'000 + (16385 << 0), 0x7fffffff}) {
      int16_t x = TickToClampedPixel(tick);
      EXPECT_GE(x, -kQDCoordLimit) << level << " " << tick;
      EXPECT_LE(x, kQDCoordLimit) << level << " " << tick;
    }
  }
  gZoomLevel = 0;
  EXPECT_EQ(TickToClampedPixel(0x7fffffff), kQDCoordLimit);
  EXPECT_EQ(TickToClampedPixel(1), -kQDCoordLimit);
  // 16386..32766 were once passed on unclamped.
  EXPECT_EQ(TickToClampedPixel(1'000'000 + 20000), kQDCoordLimit);
  EXPECT_EQ(TickToClampedPixel(1'000'000 + 100), gTimelineFrame.originX + 100);
  gTimelineLeftSample = 5'000'000;
  for (int16_t level = -6; level < 0; ++level) {
    gZoomLevel = level;
    EXPECT_EQ(ClampToQDCoord(0), -kQDCoordLimit) << level;
    EXPECT_EQ(ClampToQDCoord(UINT64_MAX), kQDCoordLimit) << level;
  }
}

// Right at the limits: 16384 and -16384 are drawn where they are, one pixel more either way
// is held at 16385 or -16385.
TEST_F(TimelineAxisTest, TheClampStartsOnePixelPastSixteenThousand) {
  gZoomLevel = 0;
  gTimelineFrame.originX = 0;
  struct Case {
    int32_t leftTick, tick;
    int16_t x;
  };
  const Case kCases[] = {{1, 16385, 16384},        {1, 16386, 16385},       {1, 16387, 16385},
                         {1, 0x7fffffff, 16385},   {20000, 3616, -16384},   {20000, 3615, -16385},
                         {20000, 1, -16385},       {1'000'000, 1, -16385}};
  for (const Case& c : kCases) {
    gTimelineLeftTick = c.leftTick;
    EXPECT_EQ(TickToClampedPixel(c.tick), c.x) << c.leftTick << " " << c.tick;
  }
}

TEST_F(TimelineAxisTest, AudioLevelsCountSamplesPerPixel) {
  gTimelineLeftSample = 1000;
  int16_t o = gTimelineFrame.originX;
  gZoomLevel = -6;  // four pixels a sample
  for (int32_t d = 0; d < 4; ++d) EXPECT_EQ(XToSamplePositionAudio(o + 8 + d), 1002u);
  EXPECT_EQ(SamplePositionToX(1002, 1000), o + 8);
  gZoomLevel = -5;
  EXPECT_EQ(XToSamplePositionAudio(o + 7), 1007u);
  EXPECT_EQ(XToSamplePositionAudio(o - 7), 1000u);  // clamped at the origin
  gZoomLevel = -1;
  EXPECT_EQ(PixelOffsetToSamplePosition(3), 1048u);
  for (int16_t level = -5; level < 0; ++level) {
    gZoomLevel = level;
    for (int32_t x = o; x < o + 300; x += 13) EXPECT_EQ(SamplePositionToX(XToSamplePosition(x), 1000), x);
  }
}

TEST_F(TimelineAxisTest, AudioLevelsMapTicksThroughTheTempoAtAnyResolution) {
  for (auto [resolution, numerator, denominator] : {std::tuple{480, 4, 4}, {97, 6, 8}, {960, 6, 8}}) {
    UseResolution(resolution, numerator, denominator);
    gZoomLevel = -1;  // 16 samples a pixel
    gTimelineLeftSample = 0;
    int32_t quarter = resolution + 1;  // one beat at 120 bpm: 22050 samples
    int32_t x = TimeToX(quarter, gTimelineLeftTick);
    EXPECT_EQ(x, gTimelineFrame.originX + 22050 / 16) << resolution;
    EXPECT_NEAR(XToTime(x), quarter, 1) << resolution;
    gTimeSelection.start.rate = 0;  // no rate yet: the default rate, no division by zero
    EXPECT_GE(XToTime(x), 1);
  }
}

TEST_F(TimelineAxisTest, LabelsAndBarLimits) {
  EXPECT_EQ(BarsPerLabel(3), 1);
  EXPECT_EQ(BarsPerLabel(6), 1);
  EXPECT_EQ(BarsPerLabel(7), 2);
  EXPECT_EQ(BarsPerLabel(8), 4);
  EXPECT_GT(BarsPerLabel(100), 0);
  UseResolution(97, 6, 8);
  EXPECT_EQ(MaxBarsInTimeline(), 0x7fffffff / (97 * 12));
  gTicksPerQuarter = 0;
  EXPECT_GT(MaxBarsInTimeline(), 0);
}

TEST_F(TimelineAxisTest, LaneValuesAndPixels) {
  SetRectFields(&gScratchRect, 0, 100, 50, 204);  // b = 200, t = 100
  EXPECT_EQ(ValueToLaneY16K(0), 200);
  EXPECT_EQ(ValueToLaneY16K(16384), 100);
  EXPECT_EQ(ValueToLaneY16K(20000), 100);
  EXPECT_EQ(ValueToLaneY(64, 127), 150);
  EXPECT_EQ(ValueToLaneY(5, 0), 200);
  gCurrentViewMode = 3;  // a controller lane
  EXPECT_EQ(LaneYToValue(200, 127, 0), 0);
  EXPECT_EQ(LaneYToValue(100, 127, 0), 127);
  EXPECT_EQ(LaneYToValue(20, 127, 0), 127);
  EXPECT_EQ(LaneYToValue(250, 127, 0), 0);
  gCurrentViewMode = 2;  // pitch bend: the centre snaps
  for (int16_t y = 98; y <= 102; ++y) {
    int32_t v = LaneYToValue16K(y + 50);
    EXPECT_TRUE(v < 8192 || v > 8319 || v == 8192) << v;
  }
  EXPECT_EQ(LaneYToValue16K(150), 8192);
  gCurrentViewMode = 12;  // the plug-in parameter lane reaches one above its maximum
  EXPECT_EQ(LaneYToValue(100, 127, 0), 128);
  // Lanes of four pixels or less answer the minimum instead of dividing by zero.
  for (int16_t h : {0, 3, 4}) {
    SetRectFields(&gScratchRect, 0, 100, 50, int16_t(100 + h));
    EXPECT_EQ(LaneYToValue(100, 127, 0), 0) << h;
  }
}

// A value at or above its lane's range is the lane top, never above it; below the range a
// wide lane scales by its own range rather than by 16384.
TEST_F(TimelineAxisTest, ValuesFromTheRangeUpAreTheLaneTop) {
  SetRectFields(&gScratchRect, 0, 100, 50, 204);  // b = 200, t = 100
  struct Case { int32_t value, range; int16_t y; };
  const Case cases[] = {{128, 128, 100}, {200, 128, 100}, {4501, 4501, 100}, {20000, 32769, 139},
                        {32768, 32769, 100}, {32769, 32769, 100}, {0, 32769, 200}};
  for (const Case& c : cases) EXPECT_EQ(ValueToLaneY(c.value, c.range), c.y) << c.value << " of " << c.range;
}

TEST_F(TimelineAxisTest, PolarHelpersAndNumberTexts) {
  EXPECT_EQ(PolarSin(90, 10), 10);
  EXPECT_EQ(PolarCos(0, 10), 10);
  EXPECT_EQ(PolarSin(45, 10), 7);
  EXPECT_EQ(PolarSin(-45, 10), -7);
  Point p = PolarToPoint(180, 20);
  EXPECT_EQ(p.h, -20);
  EXPECT_EQ(p.v, 0);
  static std::vector<int> xs;
  xs.clear();
  int16_t first = WalkQuarterArc(50, 50, 10, 5, 0, [](int16_t x, int16_t, bool f) {
    if (f) xs.push_back(-1);
    xs.push_back(x);
  });
  EXPECT_EQ(first, 60);
  EXPECT_EQ(xs.size(), 92u);  // the first mark and 91 degrees
  EXPECT_EQ(xs.back(), 50);
  struct { const char* in; const char* out; } cases[] = {
      {"1.2500", "1.25"}, {"3.000", "3"}, {"100", "100"}, {"0.0", "0"}, {"", ""}, {"10.", "10"}};
  for (auto c : cases) {
    Str255 s;
    s[0] = uint8_t(std::strlen(c.in));
    std::memcpy(s + 1, c.in, s[0]);
    TrimTrailingZeros(s);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s + 1), s[0]), c.out);
  }
}

}  // namespace
