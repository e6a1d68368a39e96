// The knobs' mouse mapping and pointer: the angle of the mouse about the centre (with the dead
// zone at the bottom), the pan value an angle gives, and the pointer drawn into an offscreen.
#include <gtest/gtest.h>

#include "mixer/knobs/knob_geometry.h"
#include "platform/quickdraw/quickdraw.h"
#include "shell/base/event_records.h"
#include "shell/drawing/scratch_rect.h"

namespace {

// A knob 21 wide and high, centre (20, 30) (h, v), radius 10.
const Rect kKnob{20, 10, 41, 31};

double AngleAt(int16_t h, int16_t v) {
  gLastMousePoint.h = h;
  gLastMousePoint.v = v;
  return KnobAngleFromMouse(&kKnob);
}

TEST(KnobGeometry, TheCentreIsHalvedTowardMinusInfinity) {
  Rect odd{-3, -5, 0, 0};
  Point c = KnobCentre(&odd);
  EXPECT_EQ(c.h, -3);  // -5 >> 1
  EXPECT_EQ(c.v, -2);  // -3 >> 1
  EXPECT_EQ(KnobRadius(&kKnob), 10);
}

TEST(KnobGeometry, TheMouseAboutTheCentreGivesTheKnobAngleAndPanValue) {
  struct Case {
    int16_t h, v;
    double angle;
    int32_t pan;
  } cases[] = {
      {10, 40, 0, 0},      // lower left: the start of the travel
      {10, 30, 45, 21},    // straight left
      {20, 20, 135, 64},   // straight up: the pan centre
      {30, 30, 225, 106},  // straight right
      {20, 30, 225, 106},  // at the centre: atan2(0, 0) = 0
      {30, 40, 270, 127},  // lower right: the end of the travel
      {20, 40, 0, 0},      // straight down is dead and reads as the minimum
      {15, 40, 0, 0},      // between straight down and the lower-left end: dead too
  };
  for (const Case& c : cases) {
    double a = AngleAt(c.h, c.v);
    EXPECT_NEAR(a, c.angle, 1e-9) << c.h << "," << c.v;
    EXPECT_EQ(PanValueFromKnobAngle(a), c.pan) << c.h << "," << c.v;
  }
}

TEST(KnobGeometry, PastTheLowerRightEndTheAngleGrowsButThePanStaysAt127) {
  double a = AngleAt(25, 40);  // between the lower right and straight down
  EXPECT_GT(a, 270.0);
  EXPECT_LT(a, 315.0);
  EXPECT_EQ(PanValueFromKnobAngle(a), 127);
  EXPECT_EQ(ParameterValueFromKnobAngle(a), 32767);
  EXPECT_EQ(ParameterValueFromKnobAngle(135.0), 16383);
}

TEST(KnobGeometry, ThePointerTurnsFromLowerLeftToLowerRight) {
  EXPECT_EQ(KnobPointerDegrees(0, 127), -225);
  EXPECT_EQ(KnobPointerDegrees(127, 127), 45);
  EXPECT_EQ(KnobPointerDegrees(64, 127), -89);
  EXPECT_EQ(KnobPointerDegrees(32767, 32767), 45);
  EXPECT_EQ(KnobPointerDegrees(5, 0), 1350 - 225);  // no division by zero
  Point p = KnobPointerOffset(-225, 10);
  EXPECT_EQ(p.h, -7);
  EXPECT_EQ(p.v, 7);  // y downward: lower left
  p = KnobPointerOffset(45, 10);
  EXPECT_EQ(p.h, 7);
  EXPECT_EQ(p.v, 7);
  p = KnobPointerOffset(-90, 10);
  EXPECT_EQ(p.h, 0);
  EXPECT_EQ(p.v, -10);
}

class KnobDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetGWorld(&savedPort_, &savedDevice_);
    Rect bounds{0, 0, 60, 60};
    ASSERT_EQ(noErr, NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0));
    SetGWorld(world_, nullptr);
    ClipRect(&bounds);
    BackColor(whiteColor);
    EraseRect(&bounds);
    ForeColor(blackColor);
    gScratchRect = kKnob;
  }
  void TearDown() override {
    SetGWorld(savedPort_, savedDevice_);
    if (world_) DisposeGWorld(world_);
  }
  bool Dark(int16_t h, int16_t v) {
    RGBColor c;
    GetCPixel(h, v, &c);
    return (PixelFromRGB(c) & 0xFFFFFF) != 0xFFFFFF;
  }
  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

TEST_F(KnobDrawingTest, TheMinimumPointsLowerLeftAndTheMaximumLowerRight) {
  DrawKnobPointer(0, 127);
  EXPECT_TRUE(Dark(15, 35));
  EXPECT_FALSE(Dark(25, 35));
  EXPECT_FALSE(Dark(20, 24));
  EraseRect(&gScratchRect);
  DrawKnobPointer(127, 127);
  EXPECT_TRUE(Dark(25, 35));
  EXPECT_FALSE(Dark(15, 35));
  EraseRect(&gScratchRect);
  DrawKnobPointer(64, 127);
  EXPECT_TRUE(Dark(20, 24));
  EXPECT_FALSE(Dark(15, 35));
}

}  // namespace
