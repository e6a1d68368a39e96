// The automation value edits on a rack's point list: set and ramp cut the target's points of
// the range and write new ones (the ramp every 5 ms, linear), add and percent change the
// target's points in the range only, volumes go through the volume curve, and the points of
// other targets are left alone.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "editing/transforms/automation_value_transform.h"
#include "editing/transforms/controller_value_transform.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_automation_fields.h"

namespace {

struct Pt {
  uint32_t time;
  uint8_t kind;
  int32_t value;  // volume 0..127 or pan
  bool operator==(const Pt& o) const { return time == o.time && kind == o.kind && value == o.value; }
};
std::ostream& operator<<(std::ostream& os, const Pt& p) { return os << "{" << p.time << " k" << int(p.kind) << " " << p.value << "}"; }

class AutomationValueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OSErr err = noErr;
    rack_ = EnsureInsertRack(cell_, 44100.0f, false, &err);
    ASSERT_EQ(err, noErr);
    saved_ = gControllerEditState;
    savedOperation_ = gValueOperation;
    ASSERT_TRUE(GetAutomationLaneTarget(kLaneVolumeAutomation, rack_, &volume_));
    ASSERT_TRUE(GetAutomationLaneTarget(kLanePanAutomation, rack_, &pan_));
  }
  void TearDown() override {
    DisposePluginRecord(rack_);
    gControllerEditState = saved_;
    gValueOperation = savedOperation_;
  }
  void Add(const AutomationLaneTarget& t, uint32_t time, float units) {
    AutomationPoint p;
    p.SetTime(time);
    p.SetKind(t.kind);
    StorePointUnits(t, units, &p);
    ASSERT_EQ(InsertAutomationPoint(AutomationListRef{rack_}, p, kReplaceSamePoint), noErr);
  }
  std::vector<Pt> Points() {
    std::vector<Pt> out;
    Handle list = GetRackAutomationList(rack_);
    for (int32_t i = 0; list && i < PointListEndIndex(list); ++i) {
      AutomationPoint p;
      std::memcpy(p.bytes, PointRecordAt(list, i), kAutomationRecordSize);
      const AutomationLaneTarget& t = p.Kind() == kAutomationVolume ? volume_ : pan_;
      out.push_back({p.Time(), p.Kind(), int32_t(ReadPointUnits(t, p))});
    }
    return out;
  }
  OSErr Edit(uint8_t operation, const AutomationLaneTarget& t, uint64_t start, uint64_t end) {
    gValueOperation = operation;
    return EditAutomationPoints(rack_, t, start, end, false);
  }
  uint8_t cell_[4] = {};
  Handle rack_ = nullptr;
  AutomationLaneTarget volume_, pan_;
  ControllerEditState saved_;
  uint8_t savedOperation_ = 0;
};

TEST_F(AutomationValueTest, AddAndPercentChangeTheTargetsPointsInTheRange) {
  Add(volume_, 100, 60);
  Add(volume_, 1000, 60);
  Add(pan_, 1000, 30);
  Add(volume_, 5000, 60);  // at the range end: kept
  gControllerEditState.addAmount = 100;
  ASSERT_EQ(noErr, Edit(kValueAdd, volume_, 1000, 5000));
  gControllerEditState.percent = 50;
  ASSERT_EQ(noErr, Edit(kValuePercent, pan_, 0, 5000));
  EXPECT_EQ((std::vector<Pt>{{100, 1, 60}, {1000, 1, 127}, {1000, 2, 15}, {5000, 1, 60}}), Points());
}

TEST_F(AutomationValueTest, SetCutsTheRangeAndWritesOnePointAtItsStart) {
  Add(volume_, 100, 10);
  Add(volume_, 2000, 20);
  Add(pan_, 2000, 64);
  Add(volume_, 9000, 30);
  gControllerEditState.setValue = 90;
  ASSERT_EQ(noErr, Edit(kValueSet, volume_, 1000, 9000));
  EXPECT_EQ((std::vector<Pt>{{100, 1, 10}, {1000, 1, 90}, {2000, 2, 64}, {9000, 1, 30}}), Points());
}

// At 44100 a point every 220 samples (5 ms) from the start up to the end, values linear.
TEST_F(AutomationValueTest, RampWritesAPointEveryFiveMilliseconds) {
  Add(pan_, 500, 5);  // inside the range: replaced
  gControllerEditState.rampStart = 0;
  gControllerEditState.rampEnd = 100;
  ASSERT_EQ(noErr, Edit(kValueRamp, pan_, 0, 2200));
  std::vector<Pt> out = Points();
  ASSERT_EQ(11u, out.size());
  for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ((Pt{uint32_t(220 * i), 2, int32_t(10 * i)}), out[i]) << i;
  EXPECT_EQ(220, AutomationRampSpacing(44100.0, false));
  EXPECT_EQ(80, AutomationRampSpacing(44100.0, true));
  EXPECT_EQ(80, AutomationRampSpacing(0.0, false));
}

// Volumes are kept as curve levels: 127 is unity, and a level reads back as its volume.
TEST_F(AutomationValueTest, VolumesGoThroughTheVolumeCurve) {
  AutomationPoint p;
  StorePointUnits(volume_, 127, &p);
  EXPECT_EQ(32768, p.Level());
  StorePointUnits(volume_, 500, &p);  // clamped to the range
  EXPECT_EQ(32768, p.Level());
  StorePointUnits(volume_, 64, &p);
  EXPECT_EQ(64, int32_t(ReadPointUnits(volume_, p)));
  AutomationLaneTarget none;
  EXPECT_FALSE(GetAutomationLaneTarget(kLaneVelocity, rack_, &none));
}

}  // namespace
