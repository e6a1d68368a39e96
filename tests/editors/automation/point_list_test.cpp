// Automation point lists: insertion order and replacement, the point test, cutting and
// shifting ranges (the end record and the time order always kept) and rescaling times.
#include <gtest/gtest.h>

#include <vector>

#include "editors/automation/automation_points.h"
#include "editors/timeline/lane_values.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

namespace {

// What a test says about one point; the plug-in index only for kind 3.
struct P {
  uint32_t time;
  uint8_t kind;
  int16_t target = 0;
  int32_t levelOrPlugin = 0;
};

AutomationPoint MakePoint(const P& p) {
  AutomationPoint point;
  point.SetTime(p.time);
  point.SetKind(p.kind);
  point.SetTarget(p.target);
  if (p.kind == kAutomationParameter) point.SetPluginIndex(p.levelOrPlugin);
  else point.SetLevel(uint16_t(p.levelOrPlugin));
  return point;
}

class PointListTest : public ::testing::Test {
 protected:
  void SetUp() override { baseline_ = CountLiveHandles(); }
  void TearDown() override {
    if (list_) DisposeHandle(list_);
    EXPECT_EQ(CountLiveHandles(), baseline_);
  }
  AutomationListRef Ref() { return AutomationListRef{Handle(), &list_}; }
  void Build(const std::vector<P>& points) {
    for (const P& p : points) ASSERT_EQ(InsertAutomationPoint(Ref(), MakePoint(p), kRefuseSamePoint), noErr);
  }
  // The points before the end record, as {time, kind, target, level or plug-in}.
  std::vector<P> Points() {
    std::vector<P> out;
    int32_t count = PointListEndIndex(list_);
    for (int32_t i = 0; i < count; ++i) {
      AutomationView r{PointRecordAt(list_, i)};
      out.push_back({r.Time(), r.Kind(), r.Index(), r.Kind() == kAutomationParameter ? r.PluginIndex() : r.Value()});
    }
    return out;
  }
  // The list is whole records, ends with the 0xFFFFFFFF end record and nothing follows it.
  void ExpectEndRecordLast() {
    int32_t end = PointListEndIndex(list_);
    ASSERT_GE(end, 0);
    EXPECT_EQ(GetHandleSize(list_), (end + 1) * kAutomationRecordSize);
    EXPECT_EQ(AutomationView{PointRecordAt(list_, end)}.Time(), kAutomationEndTime);
  }
  void ExpectSorted() {
    std::vector<P> points = Points();
    for (size_t i = 1; i < points.size(); ++i) EXPECT_LE(points[i - 1].time, points[i].time) << i;
  }
  Handle list_;
  uint32_t baseline_ = 0;
};

bool operator==(const P& a, const P& b) {
  return a.time == b.time && a.kind == b.kind && a.target == b.target && a.levelOrPlugin == b.levelOrPlugin;
}
std::ostream& operator<<(std::ostream& os, const P& p) {
  return os << "{" << p.time << " k" << int(p.kind) << " t" << p.target << " v" << p.levelOrPlugin << "}";
}

TEST_F(PointListTest, ANewListHoldsThePointAndOneEndRecordOfKindZero) {
  ASSERT_EQ(AddAutomationPoint(Ref(), 500, 1000, 0, kAutomationVolume, 0), noErr);
  ASSERT_EQ(GetHandleSize(list_), 2 * kAutomationRecordSize);
  AutomationView end{PointRecordAt(list_, 1)};
  EXPECT_EQ(end.Time(), 0xFFFFFFFFu);
  EXPECT_EQ(end.Kind(), 0);
  EXPECT_EQ(Points(), (std::vector<P>{{500, kAutomationVolume, 0, 1000}}));
}

// Points of other targets at one time stay in the order they came; out-of-order times are
// put in place.
TEST_F(PointListTest, EqualTimesKeepTheirInsertionOrder) {
  const std::vector<P> sameTime = {{100, kAutomationSendLevel, 2, 7},  {100, kAutomationVolume, 0, 9},
                                   {100, kAutomationParameter, 5, 1},  {100, kAutomationParameter, 5, 2},
                                   {100, kAutomationParameter, 6, 1},  {100, kAutomationSendLevel, 3, 8},
                                   {100, kAutomationPan, 0, 0}};
  Build({{300, kAutomationVolume, 0, 3}, {50, kAutomationVolume, 0, 1}});
  Build(sameTime);
  Build({{200, kAutomationVolume, 0, 2}});
  std::vector<P> expected = {{50, kAutomationVolume, 0, 1}};
  expected.insert(expected.end(), sameTime.begin(), sameTime.end());
  expected.push_back({200, kAutomationVolume, 0, 2});
  expected.push_back({300, kAutomationVolume, 0, 3});
  EXPECT_EQ(Points(), expected);
  ExpectEndRecordLast();
}

TEST_F(PointListTest, ASameTargetPointIsReplacedInModeZeroAndRefusedInModeOne) {
  Build({{100, kAutomationVolume, 0, 1}, {100, kAutomationSendLevel, 2, 7}, {100, kAutomationParameter, 5, 1}});
  Size size = GetHandleSize(list_);
  struct Case {
    P point;
    size_t replaced;  // the index of the point it meets
  } cases[] = {{{100, kAutomationVolume, 0, 30000}, 0},
               {{100, kAutomationSendLevel, 2, 500}, 1},
               {{100, kAutomationParameter, 5, 1}, 2}};
  for (const Case& c : cases) {
    std::vector<P> before = Points();
    EXPECT_EQ(InsertAutomationPoint(Ref(), MakePoint(c.point), kRefuseSamePoint), kDuplicatePointErr) << c.point;
    EXPECT_EQ(Points(), before);
    EXPECT_EQ(InsertAutomationPoint(Ref(), MakePoint(c.point), kReplaceSamePoint), noErr);
    EXPECT_EQ(GetHandleSize(list_), size) << "mode 0 does not grow the list";
    EXPECT_EQ(Points()[c.replaced], c.point);
  }
}

TEST(PointTargets, SameTargetByKind) {
  struct Case {
    P a, b;
    bool same;
  } cases[] = {
      {{1, kAutomationVolume, 0}, {9, kAutomationVolume, 4}, true},  // kinds 0..2: always
      {{1, kAutomationPan, 0}, {1, kAutomationPan, 3}, true},
      {{1, 0, 0}, {1, 0, 7}, true},
      {{1, kAutomationVolume, 0}, {1, kAutomationPan, 0}, false},
      {{1, kAutomationParameter, 5, 1}, {1, kAutomationParameter, 5, 1}, true},
      {{1, kAutomationParameter, 5, 1}, {1, kAutomationParameter, 5, 2}, false},  // another plug-in
      {{1, kAutomationParameter, 5, 1}, {1, kAutomationParameter, 6, 1}, false},  // another parameter
      {{1, kAutomationSendLevel, 2}, {1, kAutomationSendLevel, 2}, true},
      {{1, kAutomationSendPan, 2}, {1, kAutomationSendPan, 3}, false},
      {{1, 6, 0}, {1, 6, 0}, false},  // kinds above 5 never compare
  };
  for (const Case& c : cases) {
    AutomationPoint a = MakePoint(c.a), b = MakePoint(c.b);
    EXPECT_EQ(IsSamePointTarget(a.bytes, b.bytes), c.same) << c.a << " " << c.b;
  }
}

TEST_F(PointListTest, APluginPointKeepsItsIndexAsOneWordOverLevelAndPan) {
  ASSERT_EQ(AddAutomationPoint(Ref(), 10, 0x00012345, 99, kAutomationParameter, 7), noErr);
  const uint8_t* p = PointRecordAt(list_, 0);
  EXPECT_EQ(ReadU32BE(p + 8), 0x00012345u);
  EXPECT_EQ(ReadI16BE(p + 14), 7);
  EXPECT_EQ(p[12], kAutomationParameter);
  EXPECT_EQ(p[13], 0);
}

// A position past the last point time must not become an end record (nor wrap to a small
// time): it is kept at the last point time.
TEST_F(PointListTest, PositionsBeyondThePointRangeStayBeforeTheEnd) {
  Build({{10, kAutomationVolume, 0, 1}});
  for (uint64_t position : {uint64_t(0x7FFFFFFF), uint64_t(0xFFFFFFFF), (uint64_t(1) << 32) + 5})
    ASSERT_EQ(AddAutomationPoint(Ref(), position, 2, 0, kAutomationPan, 0), noErr);
  EXPECT_EQ(Points(), (std::vector<P>{{10, kAutomationVolume, 0, 1}, {kLastPointTime, kAutomationPan, 0, 2}}));
  ExpectEndRecordLast();
}

TEST_F(PointListTest, AMalformedListIsRefusedAndLeftAlone) {
  list_ = NewHandleClear(3 * kAutomationRecordSize);  // three points of time 0, no end record
  EXPECT_EQ(InsertAutomationPoint(Ref(), MakePoint({5, kAutomationVolume}), kReplaceSamePoint), kBadPointListErr);
  EXPECT_EQ(CutPointListRange(list_, 0, 10, true, kAllPointKinds, kNoPluginIndex), kBadPointListErr);
  ShiftPointListAt(list_, 0, 10);
  RescalePointTimes(list_, 44100, 88200);
  EXPECT_EQ(GetHandleSize(list_), 3 * kAutomationRecordSize);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(ReadU32BE(PointRecordAt(list_, i)), 0u);
}

// Remove time on the volume lane alone: the pan points inside the range stay, the later
// points of every kind close the gap, and the list stays in time order.
TEST_F(PointListTest, ACutWithAShiftAndAPartialMaskKeepsTheListSorted) {
  Build({{100, kAutomationVolume, 0, 1}, {150, kAutomationPan, 0, 2}, {200, kAutomationVolume, 0, 3},
         {250, kAutomationPan, 0, 4}, {400, kAutomationVolume, 0, 5}, {500, kAutomationPan, 0, 6}});
  ASSERT_EQ(CutPointListRange(list_, 120, 300, true, 1u << kAutomationVolume, kNoPluginIndex), noErr);
  EXPECT_EQ(Points(), (std::vector<P>{{100, kAutomationVolume, 0, 1},
                                      {150, kAutomationPan, 0, 2},
                                      {220, kAutomationVolume, 0, 5},
                                      {250, kAutomationPan, 0, 4},
                                      {320, kAutomationPan, 0, 6}}));
  ExpectEndRecordLast();
}

TEST_F(PointListTest, CutsTakeOnlyWhatThePointTestAccepts) {
  const std::vector<P> start = {{10, kAutomationVolume, 0, 1},     {20, kAutomationSendLevel, 2, 2},
                                {30, kAutomationSendLevel, 3, 3},  {40, kAutomationParameter, 5, 1},
                                {50, kAutomationParameter, 5, 2},  {60, kAutomationParameter, 6, 1},
                                {70, kAutomationPan, 0, 4},        {90, kAutomationVolume, 0, 5}};
  struct Case {
    const char* name;
    uint32_t mask;
    int32_t controller;  // gLaneController
    int32_t plugin;
    std::vector<uint32_t> kept;  // the times left
  } cases[] = {
      {"all kinds", kAllPointKinds, 0, kNoPluginIndex, {90}},
      {"send level of bus 2", 0x20000010, 2, kNoPluginIndex, {10, 30, 40, 50, 60, 70, 90}},
      {"parameter 5 of plug-in 1", 0x60000008, 5, 1, {10, 20, 30, 50, 60, 70, 90}},
      {"parameter 5 of any plug-in", 0x60000008, 5, kNoPluginIndex, {10, 20, 30, 60, 70, 90}},
      {"pan", 1u << kAutomationPan, 0, kNoPluginIndex, {10, 20, 30, 40, 50, 60, 90}},
  };
  for (const Case& c : cases) {
    if (list_) DisposeHandle(list_);
    list_ = Handle();
    Build(start);
    gLaneController = c.controller;
    ASSERT_EQ(CutPointListRange(list_, 10, 90, false, c.mask, c.plugin), noErr);
    std::vector<uint32_t> times;
    for (const P& p : Points()) times.push_back(p.time);
    EXPECT_EQ(times, c.kept) << c.name;
    ExpectEndRecordLast();
  }
}

// Ranges that reach the end of the sample range: the end record survives every one of them.
TEST_F(PointListTest, TheEndRecordSurvivesCutsAndShiftsNearTheTop) {
  Build({{100, kAutomationVolume, 0, 1}, {0x7FFFFF00, kAutomationVolume, 0, 2}, {kLastPointTime, kAutomationPan, 0, 3}});
  ASSERT_EQ(CutPointListRange(list_, 0x7FFFFF00, uint64_t(1) << 40, true, kAllPointKinds, kNoPluginIndex), noErr);
  EXPECT_EQ(Points(), (std::vector<P>{{100, kAutomationVolume, 0, 1}}));
  ExpectEndRecordLast();

  Build({{0x7FFFFF00, kAutomationVolume, 0, 2}, {0x7FFFFFF0, kAutomationPan, 0, 3}});
  ShiftPointListAt(list_, 50, 50 + 0x10000);  // insert time: the late points saturate
  EXPECT_EQ(Points(), (std::vector<P>{{100 + 0x10000, kAutomationVolume, 0, 1},
                                      {kLastPointTime, kAutomationVolume, 0, 2},
                                      {kLastPointTime, kAutomationPan, 0, 3}}));
  ExpectEndRecordLast();

  ShiftPointsFrom(list_, 0, 0x20000, -0x20000, kAllPointKinds, kNoPluginIndex);  // a shift back stops at 0
  EXPECT_EQ(Points()[0], (P{0, kAutomationVolume, 0, 1}));
  ExpectEndRecordLast();
  ExpectSorted();
}

// Shifting some points past others sorts them in again, equal times in their old order.
TEST_F(PointListTest, ShiftingOneLaneSortsItAmongTheOthers) {
  Build({{100, kAutomationVolume, 0, 1}, {200, kAutomationPan, 0, 2}, {300, kAutomationVolume, 0, 3},
         {400, kAutomationPan, 0, 4}});
  ShiftPointsFrom(list_, 0, 350, 200, 1u << kAutomationVolume, kNoPluginIndex);
  EXPECT_EQ(Points(), (std::vector<P>{{200, kAutomationPan, 0, 2},
                                      {300, kAutomationVolume, 0, 1},
                                      {400, kAutomationPan, 0, 4},
                                      {500, kAutomationVolume, 0, 3}}));
  ExpectEndRecordLast();
}

TEST_F(PointListTest, RescalingWorksInDoublePrecision) {
  Build({{0, kAutomationVolume}, {44100, kAutomationVolume, 0, 1}, {20000001, kAutomationVolume, 0, 2},
         {0x40000000, kAutomationVolume, 0, 3}});
  RescalePointTimes(list_, 44100.0, 88200.0);
  std::vector<uint32_t> times;
  for (const P& p : Points()) times.push_back(p.time);
  // 20000001 has no exact single-precision form; the doubled time must be exact.
  EXPECT_EQ(times, (std::vector<uint32_t>{0, 88200, 40000002, kLastPointTime}));
  ExpectEndRecordLast();

  RescalePointTimes(list_, 48000.0, 44100.0);
  EXPECT_EQ(Points()[1].time, 81033u);  // trunc(88200 x 44100 / 48000 = 81033.75)
  for (double bad : {0.0, -1.0}) RescalePointTimes(list_, bad, 44100.0);
  EXPECT_EQ(Points()[1].time, 81033u);
}

}  // namespace
