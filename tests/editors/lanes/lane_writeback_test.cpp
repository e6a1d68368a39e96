// The lane tools' column edits and the write-back of a lane's columns into the track: one
// event per change, the data bytes of each lane, the velocity lane, the program run, and a
// list that cannot grow keeping what it had.
#include <string>
#include <vector>

#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_scale.h"
#include "editors/lanes/lane_tools.h"
#include "editors/lanes/lane_writeback.h"
#include "editors/timeline/timeline_axis.h"
#include "shell/base/memory_reserve.h"
#include "tests/editing/clear/range_edit_fixture.h"

using range_edit_test::Ctl;
using range_edit_test::Ev;
using range_edit_test::Note;

namespace {

constexpr int32_t kColumns = 2000;

// Zoom 2 with the origin at x 0 and the left tick 1: column x is tick 1 + 4x.
class LaneWriteBackTest : public RangeEditTest {
 protected:
  void SetUp() override {
    RangeEditTest::SetUp();
    savedFrame_ = gTimelineFrame;
    savedZoom_ = gZoomLevel;
    gTimelineFrame.originX = 0;
    gZoomLevel = 2;
    gTimelineLeftTick = 1;
    gLaneColumns.values.assign(kColumns, kNoLaneValue);
    gLaneColumns.channels.assign(kColumns, 0);
    gLaneController = 7;
    gFilterPolyKey = 60;
  }
  void TearDown() override {
    gTimelineFrame = savedFrame_;
    gZoomLevel = savedZoom_;
    gMemoryReserve = kInitialMemoryReserve;
    gLaneColumns = LaneColumns();
    RangeEditTest::TearDown();
  }
  void Lane(int32_t kind) { gCurrentViewMode = int16_t(kind + 2); }
  int32_t& Column(int32_t x) { return gLaneColumns.values[size_t(LaneColumnIndex(x))]; }
  void SetColumns(int32_t x0, int32_t x1, int32_t v) {
    for (int32_t x = x0; x <= x1; ++x) Column(x) = v;
  }
  // The short events of track 0 as "time:status:data1:data2".
  std::string Short() {
    std::string out;
    Handle list = GetCurrentTrackEventList();
    auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
    for (uint8_t* e = p; SeqEventTime(e) != 0; e += GetSeqEventLength(e)) {
      if (GetSeqEventLength(e) != kShortEventSize) continue;
      out += std::to_string(SeqEventTime(e)) + ":" + std::to_string(e[kEventStatus]) + ":" +
             std::to_string(e[kEventData1]) + ":" + std::to_string(e[kEventData2]) + " ";
    }
    if (!out.empty()) out.pop_back();
    return out;
  }
  std::vector<int32_t> Columns(int32_t x0, int32_t x1) {
    std::vector<int32_t> out;
    for (int32_t x = x0; x <= x1; ++x) out.push_back(Column(x));
    return out;
  }
  TimelineFrame savedFrame_;
  int16_t savedZoom_ = 0;
};

TEST_F(LaneWriteBackTest, AStrokeFillsTheSameColumnsWhicheverWayItRuns) {
  const struct {
    int32_t x0, v0, x1, v1;
  } strokes[] = {{10, 0, 17, 100}, {10, 100, 13, 5}, {5, 7, 6, 121}, {30, 3, 90, 3}};
  for (const auto& s : strokes) {
    gLaneColumns.values.assign(kColumns, kNoLaneValue);
    FillLaneColumnsLinear(s.x0, s.v0, s.x1, s.v1);
    std::vector<int32_t> forward = Columns(s.x0 - 1, s.x1 + 1);
    gLaneColumns.values.assign(kColumns, kNoLaneValue);
    FillLaneColumnsLinear(s.x1, s.v1, s.x0, s.v0);
    EXPECT_EQ(forward, Columns(s.x0 - 1, s.x1 + 1)) << s.x0 << ".." << s.x1;
    EXPECT_EQ(kNoLaneValue, Column(s.x0 - 1));
    EXPECT_EQ(s.v1, Column(s.x1));
  }
  gLaneColumns.values.assign(kColumns, kNoLaneValue);
  FillLaneColumnsLinear(10, 0, 14, 100);  // v0 + (v1 - v0) * i / dx, integer division
  EXPECT_EQ((std::vector<int32_t>{0, 25, 50, 75, 100}), Columns(10, 14));
  FillLaneColumnsLinear(40, 127, 40, 3);  // a move along one column: the latest value
  EXPECT_EQ(3, Column(40));
}

TEST_F(LaneWriteBackTest, EachMidiLaneWritesOneEventPerChangeWithItsDataBytes) {
  const struct {
    int32_t kind;
    const char* expected;
  } lanes[] = {
      {kLaneController, "41:176:7:30 49:176:7:90"},
      // Channel pressure and program changes carry 128 as their second byte.
      {kLaneChannelPressure, "41:208:30:128 49:208:90:128"},
      {kLaneProgram, "41:192:30:128 49:192:90:128"},
      {kLanePolyPressure, "41:160:60:30 49:160:60:90"},
  };
  for (const auto& l : lanes) {
    Fill(0, {Note(1, 10)});
    Lane(l.kind);
    gLaneColumns.values.assign(kColumns, kNoLaneValue);
    SetColumns(10, 11, 30);  // a run of equal values: one event at its start
    SetColumns(12, 14, 90);
    ASSERT_EQ(noErr, WriteLaneColumnsAsEvents(l.kind, 10, 15));
    EXPECT_EQ(l.expected, Short()) << l.kind;
    EXPECT_EQ(0u, Rows(0).find("1:n/10 41:")) << "the note stays first";
  }
}

TEST_F(LaneWriteBackTest, TheSpansOldEventsGoAndThoseOutsideStayInOrder) {
  Lane(kLaneController);
  Fill(0, {Ctl(30, 1), Note(41, 10), Ctl(45, 2), Ev{47, 0xB0, 0, 10, 3}, Ctl(61, 4)});
  SetColumns(10, 14, 50);  // ticks 41..57
  gLaneColumns.channels[size_t(LaneColumnIndex(10))] = 3;
  ASSERT_EQ(noErr, WriteLaneColumnsAsEvents(kLaneController, 10, 15));
  // The other controller (10) and the events outside 41..60 stay; the column's channel is used.
  EXPECT_EQ("30:176:7:1 41:179:7:50 47:176:10:3 61:176:7:4", Short());
}

TEST_F(LaneWriteBackTest, ASingleColumnWritesOneEventAndValuesAreHeldToTheRange) {
  Lane(kLaneController);
  Fill(0, {});
  Column(20) = 64;
  FillEmptyLaneColumns(kLaneController, 20, 22);  // the release fills the span's empty columns from the left
  ASSERT_EQ(noErr, WriteLaneColumnsAsEvents(kLaneController, 20, 22));
  EXPECT_EQ("81:176:7:64", Short());

  int32_t range = GetLaneRange(kLaneController);
  Fill(0, {});
  Column(30) = range;  // R stands for R - 1
  Column(31) = -5;     // negatives for 0
  ASSERT_EQ(noErr, WriteLaneColumnsAsEvents(kLaneController, 30, 32));
  EXPECT_EQ("121:176:7:" + std::to_string(range - 1) + " 125:176:7:0", Short());
}

// The release fill by lane: columns at or above the kind's no-value threshold take the last
// value left of them in the span; a real value is never taken for a gap.
TEST_F(LaneWriteBackTest, TheReleaseFillUsesTheLanesNoValueThreshold) {
  struct Case {
    int32_t kind;
    std::vector<int32_t> columns, filled;
  };
  int32_t volume = GetLaneRange(kLaneVolumeAutomation), bend = GetLaneRange(kLanePitchBend);
  const Case cases[] = {
      {kLaneController, {kNoLaneValue, 64, kNoLaneValue, 70, 128}, {kNoLaneValue, 64, 64, 70, 70}},
      {kLanePitchBend, {16383, kNoLaneValue, bend}, {16383, 16383, 16383}},
      {kLaneVolumeAutomation, {volume, 32767, volume, 0, volume + 1}, {volume, 32767, 32767, 0, 0}},
  };
  for (const Case& c : cases) {
    gLaneColumns.values.assign(kColumns, kNoLaneValue);
    for (size_t i = 0; i < c.columns.size(); ++i) Column(40 + int32_t(i)) = c.columns[i];
    FillEmptyLaneColumns(c.kind, 40, 40 + int32_t(c.columns.size()));
    for (size_t i = 0; i < c.filled.size(); ++i) EXPECT_EQ(c.filled[i], Column(40 + int32_t(i))) << c.kind << " " << i;
  }
}

TEST_F(LaneWriteBackTest, PitchBendSplitsItsValueAndKeepsTheCentreExact) {
  if (GetLaneRange(kLanePitchBend) != 16384) GTEST_SKIP() << "the lane ranges are not built";
  Lane(kLanePitchBend);
  Fill(0, {});
  Column(10) = 8192;
  Column(11) = 16383;
  Column(12) = 0;
  ASSERT_EQ(noErr, WriteLaneColumnsAsEvents(kLanePitchBend, 10, 13));
  EXPECT_EQ("41:224:0:64 45:224:127:127 49:224:0:0", Short());
}

TEST_F(LaneWriteBackTest, AListThatCannotGrowKeepsTheEventsOfTheSpan) {
  Lane(kLaneController);
  Fill(0, {Ctl(41, 1), Ctl(45, 2)});
  SetColumns(10, 14, 50);
  gMemoryReserve = 0x7fffffff;
  EXPECT_NE(noErr, WriteLaneColumnsAsEvents(kLaneController, 10, 15));
  gMemoryReserve = kInitialMemoryReserve;
  EXPECT_EQ("41:176:7:1 45:176:7:2", Short());
  EXPECT_EQ(1, alerts_) << "the failure is reported";
}

TEST_F(LaneWriteBackTest, AMasterVolumeWriteThatFailsIsReported) {
  Lane(kLaneMasterVolume);
  SetColumns(10, 12, 40);
  SetColumns(13, 15, 90);
  Rect span{0, 10, 100, 16};
  ASSERT_EQ(noErr, ApplyLaneColumns(span));
  EXPECT_EQ(0, alerts_);
  for (int32_t x = 10; x < 600; ++x) Column(x) = x % 2 ? 20 : 70;  // more than the map's slack
  gMemoryReserve = 0x7fffffff;
  span.right = 600;
  EXPECT_NE(noErr, ApplyLaneColumns(span));
  gMemoryReserve = kInitialMemoryReserve;
  EXPECT_EQ(1, alerts_) << "the failure is reported once";
}

TEST_F(LaneWriteBackTest, ProgramValueReplacesTheWholeRunUpToItsNextChange) {
  Lane(kLaneProgram);
  Fill(0, {Ev{41, 0xC0, 0, 5, 128}, Ev{81, 0xC0, 0, 9, 128}});
  SetColumns(10, 19, 5);  // program 5 from tick 41, program 9 from tick 81 (x 20)
  SetColumns(20, 30, 9);
  EXPECT_EQ(19, FillProgramRun(14, 12));
  EXPECT_EQ((std::vector<int32_t>{5, 5, 5, 5, 12, 12, 12, 12, 12, 12, 9}), Columns(10, 20));
  ASSERT_EQ(noErr, WriteLaneColumnsAsEvents(kLaneProgram, 14, 22));
  EXPECT_EQ("41:192:5:128 57:192:12:128 81:192:9:128", Short());
}

TEST_F(LaneWriteBackTest, TheVelocityLaneSetsTheNotesStartingInsideTheSpan) {
  Lane(kLaneVelocity);
  Fill(0, {Note(1, 10), Note(41, 10), Note(49, 10), Note(61, 10)});
  SetColumns(0, 30, 100);
  Column(10) = 20;
  Column(12) = 110;
  WriteVelocityColumns(10, 15);
  Handle list = GetCurrentTrackEventList();
  std::string velocities;
  for (auto* e = reinterpret_cast<uint8_t*>(HandleData(list)); SeqEventTime(e) != 0; e += GetSeqEventLength(e))
    velocities += std::to_string(e[kEventData2]) + " ";
  EXPECT_EQ("100 20 110 100 ", velocities);
}

}  // namespace
