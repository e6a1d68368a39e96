// The track rows' level meters drawn into an offscreen of a meter row's size: the geometry
// from the meter's width, the segments a level lights in their zones' colours, and the fall
// of two segments an update under a held peak.
#include <gtest/gtest.h>

#include <cstring>

#include "editors/track_meters.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/system/host_time.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

uint32_t Rgb(const RGBColor& c) { return PixelFromRGB(c) & 0xFFFFFF; }

class TrackMeterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gScreenDepthIndex = kColourScreenLevel;
    std::memset(gMeterStates, 0, sizeof gMeterStates);
    GetGWorld(&savedPort_, &savedDevice_);
    Rect bounds{0, 0, 40, 200};
    ASSERT_EQ(noErr, NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0));
    SetGWorld(world_, nullptr);
    ClipRect(&bounds);
    BackColor(whiteColor);
    EraseRect(&bounds);
  }
  void TearDown() override {
    SetGWorld(savedPort_, savedDevice_);
    if (world_) DisposeGWorld(world_);
    gScreenDepthIndex = 0;
  }
  // The meter rectangle (left 10, top 0, bottom 20) of the width, and its geometry.
  void UseWidth(int16_t width) {
    SetRectFields(&gScratchRect, 10, 0, int16_t(10 + width), 20);
    InitMeterGeometry();
  }
  uint32_t Pixel(int16_t h, int16_t v) {
    RGBColor c;
    GetCPixel(h, v, &c);
    return PixelFromRGB(c) & 0xFFFFFF;
  }
  // The colour in the middle of segment n of the row.
  uint32_t SegmentPixel(int16_t n) {
    Rect r;
    GetMeterSegmentRect(row_, n, &r);
    return Pixel(r.left, int16_t((r.top + r.bottom) / 2));
  }
  bool Lit(int16_t n) { return SegmentPixel(n) == Rgb(GetMeterSegmentColor(n)); }
  int CountNotWhite() {
    int n = 0;
    for (int16_t v = 0; v < 40; ++v)
      for (int16_t h = 0; h < 200; ++h) n += Pixel(h, v) != kWhite;
    return n;
  }

  Rect row_{0, 10, 20, 200};
  MeterStateView bar_{gMeterStates};
  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

TEST_F(TrackMeterTest, TheMeterWidthGivesTheSegmentsAndTheirZones) {
  struct Case {
    int16_t width, segments, greenLimit, redStart;
  } cases[] = {{0, 0, 0, 0}, {-6, 0, 0, 0}, {4, 0, 0, 0},   {5, 1, 1, 0},
               {8, 2, 1, 0},  {11, 3, 2, 1}, {50, 16, 11, 14}, {2000, 255, 170, 253}};
  for (const Case& c : cases) {
    UseWidth(c.width);
    EXPECT_EQ(gMeterGeometry.segments, c.segments) << "width " << c.width;
    EXPECT_EQ(gMeterGeometry.greenLimit, c.greenLimit) << "width " << c.width;
    EXPECT_EQ(gMeterGeometry.redStart, c.redStart) << "width " << c.width;
  }
}

TEST_F(TrackMeterTest, AMeterWithoutSegmentsOrHeightDrawsNothing) {
  for (int16_t width : {0, 3, 4}) {
    UseWidth(width);
    UpdateMeterBar(bar_, row_, 127);
    EXPECT_EQ(bar_.Current(), 0) << "width " << width;
    EXPECT_EQ(bar_.Drawn(), 0) << "width " << width;
  }
  UseWidth(50);
  for (int16_t height : {0, 1, 2}) {
    std::memset(gMeterStates, 0, sizeof gMeterStates);
    UpdateMeterBar(bar_, Rect{5, 10, int16_t(5 + height), 60}, 127);
  }
  EXPECT_EQ(CountNotWhite(), 0);
}

TEST_F(TrackMeterTest, FullLevelLightsEverySegmentTheLastTwoRed) {
  for (int16_t width : {50, 23}) {
    EraseRect(&row_);
    std::memset(gMeterStates, 0, sizeof gMeterStates);
    UseWidth(width);
    const int16_t count = gMeterGeometry.segments;
    UpdateMeterBar(bar_, row_, 127);
    ASSERT_EQ(bar_.Current(), count);
    EXPECT_EQ(bar_.Drawn(), count);
    EXPECT_EQ(bar_.Peak(), count);
    for (int16_t n = 1; n <= count; ++n) {
      int zone = n <= gMeterGeometry.greenLimit ? 0 : n <= count - 2 ? 1 : 2;
      EXPECT_EQ(SegmentPixel(n), Rgb(gMeterZoneColors[zone])) << "segment " << n << " of " << count;
    }
    EXPECT_EQ(Pixel(int16_t(row_.left + 3 * count + 2), 10), kWhite) << "nothing past the last segment";
  }
}

TEST_F(TrackMeterTest, LevelsLightTheirShareOfTheSegments) {
  UseWidth(50);  // 16 segments
  struct Case {
    int32_t level, segments;
  } cases[] = {{0, 0}, {4, 1}, {20, 3}, {60, 8}, {100, 13}, {127, 16}, {500, 16}, {-3, 0}};
  for (const Case& c : cases) {
    std::memset(gMeterStates, 0, sizeof gMeterStates);
    EraseRect(&row_);
    UpdateMeterBar(bar_, row_, c.level);
    EXPECT_EQ(bar_.Current(), c.segments) << "level " << c.level;
    for (int16_t n = 1; n <= 16; ++n)
      EXPECT_EQ(Lit(n), n <= c.segments) << "level " << c.level << " segment " << n;
  }
}

TEST_F(TrackMeterTest, ADropToSilenceFallsTwoSegmentsAnUpdateUnderTheHeldPeak) {
  UseWidth(50);
  UpdateMeterBar(bar_, row_, 127);
  uint32_t deadline = bar_.Deadline();
  EXPECT_GE(int32_t(deadline - TickCount()), int32_t(kMeterPeakHoldTicks) - 2);
  for (int16_t drawn = 14; drawn >= 0; drawn = int16_t(drawn - 2)) {
    UpdateMeterBar(bar_, row_, 0);
    ASSERT_EQ(bar_.Drawn(), drawn);
    EXPECT_EQ(bar_.Current(), 0);
    EXPECT_EQ(bar_.Peak(), 16) << "held while the deadline lies ahead";
    EXPECT_EQ(SegmentPixel(16), Rgb(gMeterZoneColors[2])) << "the peak stays lit";
    for (int16_t n = 1; n < 16; ++n) EXPECT_EQ(Lit(n), n <= drawn) << "segment " << n;
  }
  bar_.SetDeadline(TickCount() - 1);  // the second has passed
  UpdateMeterBar(bar_, row_, 0);
  EXPECT_EQ(bar_.Peak(), 0);
  EXPECT_NE(SegmentPixel(16), Rgb(gMeterZoneColors[2])) << "the peak is erased";
  EXPECT_EQ(SegmentPixel(16), Rgb(gMeterEraseColor));
}

TEST_F(TrackMeterTest, ALouderLevelRaisesThePeakAndARiseDrawsOnlyTheNewSegments) {
  UseWidth(50);
  UpdateMeterBar(bar_, row_, 60);
  ASSERT_EQ(bar_.Drawn(), 8);
  EraseRect(&row_);  // what was drawn already is not drawn again
  UpdateMeterBar(bar_, row_, 100);
  EXPECT_EQ(bar_.Peak(), 13);
  for (int16_t n = 1; n <= 16; ++n) EXPECT_EQ(Lit(n), n > 8 && n <= 13) << "segment " << n;
}

TEST_F(TrackMeterTest, AStereoRowSplitsIntoTwoBarsAMonoRowLosesItsLastLine) {
  struct Case {
    bool stereo, second;
    Rect expected;
  } cases[] = {{false, false, {0, 10, 19, 200}}, {true, false, {0, 10, 10, 200}}, {true, true, {10, 10, 20, 200}}};
  for (const Case& c : cases) {
    Rect r = row_;
    SplitMeterRowRect(c.stereo, c.second, &r);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.bottom, c.expected.bottom);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.right, c.expected.right);
  }
  Rect empty{5, 10, 5, 60};
  SplitMeterRowRect(false, false, &empty);
  EXPECT_EQ(empty.bottom, 5) << "a row of no height stays empty";
}

}  // namespace
