// The velocity and limit transforms on a ramp of velocities: each mode's arithmetic, the top
// bit of the velocity byte, the release velocity, and Undo giving the saved document back.
#include <gtest/gtest.h>

#include "editing/transforms/limit_transform.h"
#include "editing/transforms/value_settings.h"
#include "editing/transforms/velocity_transform.h"
#include "tests/editing/value_transforms/value_transform_fixture.h"

namespace value_test {
namespace {

// Notes at 101, 201, ... 501 (selection 101..601) with velocities 10, 40, 70, 100, 127.
std::vector<Ev> VelocityRamp() {
  return {{101, 0x90, 60, 10, 5}, {201, 0x90, 61, 40, 15}, {301, 0x90, 62, 70, 25},
          {401, 0x90, 63, 100, 35}, {501, 0x90, 64, 127, 45}};
}

std::vector<int> Bytes(const std::vector<Ev>& events, bool release) {
  std::vector<int> out;
  for (const Ev& e : events) out.push_back(release ? e.d3 : e.d2);
  return out;
}

struct VelocityCase {
  const char* name;
  uint8_t flags;
  int32_t set, offset, percent, rampFrom, rampTo, pFrom, pTo;
  std::vector<int> expected;
};

class VelocityTest : public ValueTransformTest {
 protected:
  void SetUp() override {
    ValueTransformTest::SetUp();
    MakeOneTrackSong(480);
    Put(VelocityRamp());
    Select(101, 601);
    RefreshContext();
  }
};

TEST_F(VelocityTest, EveryModeOnARampOfVelocities) {
  // Ramp: 0 .. 100 over 101..599 (end - start - 1 = 499 ticks): at 101 + 100k it is
  // MulDivRound(100k, 100, 499). Percent ramp 50..150 over 500 ticks: 50, 70, 90, 110, 130 %.
  const VelocityCase cases[] = {
      {"set", kVelocitySet, 33, 0, 100, 64, 64, 75, 125, {33, 33, 33, 33, 33}},
      {"add clamps", kVelocityAdd, 64, 30, 100, 64, 64, 75, 125, {40, 70, 100, 127, 127}},
      {"subtract clamps", kVelocityAdd, 64, -50, 100, 64, 64, 75, 125, {0, 0, 20, 50, 77}},
      {"percent", kVelocityPercent, 64, 0, 150, 64, 64, 75, 125, {15, 60, 105, 127, 127}},
      {"ramp", kVelocityRamp, 64, 0, 100, 0, 100, 75, 125, {0, 20, 40, 60, 80}},
      {"percent ramp", kVelocityPercentRamp, 64, 0, 100, 64, 64, 50, 150, {5, 28, 63, 110, 127}},
      {"release velocity", uint8_t(kVelocitySet | kVelocityRelease), 9, 0, 100, 64, 64, 75, 125,
       {9, 9, 9, 9, 9}},
  };
  for (const VelocityCase& c : cases) {
    SCOPED_TRACE(c.name);
    Put(VelocityRamp());
    gVelocityFlags = c.flags;
    gValueSetValue = c.set;
    gValueAddAmount = c.offset;
    gValuePercent = c.percent;
    gValueRampStart = c.rampFrom;
    gValueRampEnd = c.rampTo;
    gVelocityPercentFrom = c.pFrom;
    gVelocityPercentTo = c.pTo;
    ASSERT_EQ(1, ApplyVelocityTransform());
    bool release = (c.flags & kVelocityRelease) != 0;
    EXPECT_EQ(c.expected, Bytes(Events(), release));
    EXPECT_EQ(release ? Bytes(VelocityRamp(), false) : Bytes(VelocityRamp(), true), Bytes(Events(), !release));
    for (size_t i = 0; i < Events().size(); ++i) EXPECT_EQ(VelocityRamp()[i].tick, Events()[i].tick);
  }
}

TEST_F(VelocityTest, RampReachesItsEndOneTickBeforeTheSelectionEnd) {
  gVelocityFlags = kVelocityRamp;
  gValueRampStart = 10;
  gValueRampEnd = 110;
  EXPECT_EQ(10, TransformVelocityValue(0, 101, 101, 601));
  EXPECT_EQ(110, TransformVelocityValue(0, 600, 101, 601));
  gVelocityFlags = kVelocityPercentRamp;
  gVelocityPercentFrom = 0;
  gVelocityPercentTo = 100;
  EXPECT_EQ(50, TransformVelocityValue(100, 351, 101, 601));
  EXPECT_EQ(100, TransformVelocityValue(100, 601, 101, 601));
}

TEST_F(VelocityTest, OneTickSelectionRampsWithoutDividingByZero) {
  gVelocityFlags = kVelocityRamp;
  gValueRampStart = 20;
  gValueRampEnd = 90;
  EXPECT_EQ(20, TransformVelocityValue(50, 301, 301, 302));
  Select(301, 302);
  RefreshContext();
  ASSERT_EQ(1, ApplyVelocityTransform());
  EXPECT_EQ(20, Events()[2].d2);
  EXPECT_EQ(40, Events()[1].d2);
}

TEST_F(VelocityTest, TopBitIsKeptUnlessTheOptionChangesIt) {
  Put({{101, 0x90, 60, 0x80 | 50, 0x80 | 20}, {201, 0x90, 61, 30, 40}});
  Select(101, 601);
  gVelocityFlags = kVelocityAdd;
  gValueAddAmount = 100;
  ASSERT_EQ(1, ApplyVelocityTransform());
  EXPECT_EQ(0x80 | 127, Events()[0].d2);
  EXPECT_EQ(127, Events()[1].d2);
  // Working on the release velocity, the option still sets the velocity byte's top bit.
  gVelocityFlags = kVelocitySet | kVelocityRelease | kVelocityChangeTopBit | kVelocityTopBitSet;
  gValueSetValue = 5;
  ASSERT_EQ(1, ApplyVelocityTransform());
  EXPECT_EQ(0x80 | 127, Events()[1].d2);
  EXPECT_EQ(0x80 | 5, Events()[0].d3);
  EXPECT_EQ(5, Events()[1].d3);
  gVelocityFlags = kVelocityAdd | kVelocityChangeTopBit;
  gValueAddAmount = 0;
  ASSERT_EQ(1, ApplyVelocityTransform());
  EXPECT_EQ(127, Events()[0].d2);
}

TEST_F(VelocityTest, NotesOutsideTheSelectionAndOtherEventsStay) {
  Put({{50, 0x90, 60, 10}, {150, 0xB0, 7, 10}, {201, 0x90, 61, 40}, {700, 0x90, 62, 70}});
  Select(101, 601);
  gVelocityFlags = kVelocitySet;
  gValueSetValue = 99;
  ASSERT_EQ(1, ApplyVelocityTransform());
  std::vector<Ev> expected = {{50, 0x90, 60, 10}, {150, 0xB0, 7, 10}, {201, 0x90, 61, 99}, {700, 0x90, 62, 70}};
  EXPECT_EQ(expected, Events());
}

TEST_F(VelocityTest, UndoGivesTheSavedDocumentBack) {
  std::string before = SavedDocument();
  gVelocityFlags = kVelocityPercentRamp;
  ASSERT_EQ(1, ApplyVelocityTransform());
  ExpectUndoRestores(before);
}

struct LimitCase {
  const char* name;
  uint8_t mode;
  bool onlyN;
  std::vector<Ev> expected;
};

class LimitTest : public ValueTransformTest {
 protected:
  void SetUp() override {
    ValueTransformTest::SetUp();
    MakeOneTrackSong(96, 6, 8);
    Put(Mixed());
    Select(1, 1000);
    RefreshContext();
  }
  static std::vector<Ev> Mixed() {
    return {{10, 0x90, 60, 5, 120}, {20, 0x90, 61, 0x80 | 120, 50}, {30, 0xD0, 2, 0},
            {40, 0xD1, 110, 0},     {50, 0xB0, 1, 3},                {60, 0xB0, 7, 125}};
  }
};

TEST_F(LimitTest, EachModeClampsItsOwnValues) {
  gLimitMinimum = 20;
  gLimitMaximum = 100;
  gTransformController = 7;
  const LimitCase cases[] = {
      {"velocity, top bit kept", kLimitVelocity, false,
       {{10, 0x90, 60, 20, 120}, {20, 0x90, 61, 0x80 | 100, 50}, {30, 0xD0, 2, 0}, {40, 0xD1, 110, 0},
        {50, 0xB0, 1, 3}, {60, 0xB0, 7, 125}}},
      {"release velocity", kLimitReleaseVelocity, false,
       {{10, 0x90, 60, 5, 100}, {20, 0x90, 61, 0x80 | 120, 50}, {30, 0xD0, 2, 0}, {40, 0xD1, 110, 0},
        {50, 0xB0, 1, 3}, {60, 0xB0, 7, 125}}},
      {"channel pressure", kLimitChannelPressure, false,
       {{10, 0x90, 60, 5, 120}, {20, 0x90, 61, 0x80 | 120, 50}, {30, 0xD0, 20, 0}, {40, 0xD1, 100, 0},
        {50, 0xB0, 1, 3}, {60, 0xB0, 7, 125}}},
      {"every controller", kLimitController, false,
       {{10, 0x90, 60, 5, 120}, {20, 0x90, 61, 0x80 | 120, 50}, {30, 0xD0, 2, 0}, {40, 0xD1, 110, 0},
        {50, 0xB0, 1, 20}, {60, 0xB0, 7, 100}}},
      {"only controller N", kLimitController, true,
       {{10, 0x90, 60, 5, 120}, {20, 0x90, 61, 0x80 | 120, 50}, {30, 0xD0, 2, 0}, {40, 0xD1, 110, 0},
        {50, 0xB0, 1, 3}, {60, 0xB0, 7, 100}}},
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    Put(Mixed());
    gLimitMode = c.mode;
    gTransformOptions = c.onlyN ? kOnlyControllerN : 0;
    ASSERT_EQ(1, ApplyLimitTransform());
    EXPECT_EQ(c.expected, Events());
  }
}

TEST_F(LimitTest, UndoGivesTheSavedDocumentBack) {
  std::string before = SavedDocument();
  gLimitMinimum = 50;
  ASSERT_EQ(1, ApplyLimitTransform());
  ExpectUndoRestores(before);
}

}  // namespace
}  // namespace value_test
