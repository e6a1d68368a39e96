// The automation lane writers on the current track's rack in a track pane: the columns of a
// drawn span become one point per change of the lane's target, the target's old points in the
// span go and everything else stays; columns without a value write nothing. At the audio zoom
// level -5 one column is one sample, so every point's time is known exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "editors/automation/automation_points.h"
#include "editors/lanes/lane_automation_writers.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_scale.h"
#include "editors/lanes/lane_tools.h"
#include "editors/lanes/lane_writeback.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/app_state.h"
#include "shell/base/error_report.h"
#include "shell/base/error_report_hooks.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/songs.h"
#include "tests/song/model/model_fixture.h"

namespace {

constexpr uint64_t kLeftSample = 1000;
constexpr int32_t kColumns = 4096;

// A point as the tests compare it: time, kind, target and the kind's value.
struct Pt {
  uint32_t time;
  uint8_t kind;
  int16_t target;
  int32_t value;  // level (kinds 1, 4), pan (2, 5), the plug-in index (3)
  bool operator==(const Pt&) const = default;
};

std::vector<Pt> Points(Handle list) {
  std::vector<Pt> out;
  for (int32_t i = 0; list && i < PointListEndIndex(list); ++i) {
    AutomationPoint p;
    std::memcpy(p.bytes, PointRecordAt(list, i), kAutomationRecordSize);
    int32_t value = p.Kind() == kAutomationParameter ? p.PluginIndex()
                    : (p.Kind() == kAutomationPan || p.Kind() == kAutomationSendPan) ? p.Pan()
                                                                                       : p.Level();
    out.push_back({p.Time(), p.Kind(), p.Target(), value});
  }
  return out;
}

std::vector<float> ParameterValues(Handle list) {
  std::vector<float> out;
  for (int32_t i = 0; list && i < PointListEndIndex(list); ++i) {
    AutomationPoint p;
    std::memcpy(p.bytes, PointRecordAt(list, i), kAutomationRecordSize);
    if (p.Kind() == kAutomationParameter) out.push_back(p.Value());
  }
  return out;
}

std::ostream& operator<<(std::ostream& os, const Pt& p) {
  return os << "{" << p.time << " k" << int(p.kind) << " t" << p.target << " v" << p.value << "}";
}

class LaneWriterTest : public SongModelTest {
 protected:
  void SetUp() override {
    SongModelTest::SetUp();
    ASSERT_EQ(noErr, CreateSongTracks(1, 1));
    SetCurrentTrackIndex(0);
    saved_ = {gCurrentPaneSlot, gCurrentViewMode, gZoomLevel, gTimelineLeftSample, gLaneController,
              gEngineSampleRate};
    gCurrentPaneSlot = 0;
    gZoomLevel = -5;  // one sample a column
    gTimelineLeftSample = kLeftSample;
    gEngineSampleRate = 44100.0f;
    gLaneColumns.values.assign(kColumns, kNoLaneValue);
    OSErr err;
    rack_ = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, 44100.0f, false, &err);
    ASSERT_EQ(err, noErr);
  }
  void TearDown() override {
    DisposePluginRecord(rack_);
    WriteU32BE(gCurrentTrack + kTrackInsertRack, 0);
    std::tie(gCurrentPaneSlot, gCurrentViewMode, gZoomLevel, gTimelineLeftSample, gLaneController,
             gEngineSampleRate) = saved_;
    gLaneColumns.values.clear();
    gLaneScale = LaneScaleRecord();
  }
  void ShowLane(int32_t kind, int32_t controller) {
    gCurrentViewMode = int16_t(kind + kLaneViewModeOffset);
    gLaneController = controller;
  }
  // The x of a sample position, and the column values from x on.
  static int16_t XAt(uint64_t position) { return int16_t(gTimelineFrame.originX + int32_t(position - kLeftSample)); }
  static void SetColumns(int16_t x, const std::vector<int32_t>& values) {
    for (size_t i = 0; i < values.size(); ++i) gLaneColumns.values[size_t(LaneColumnIndex(x + int32_t(i)))] = values[i];
  }
  void Add(uint32_t time, int32_t level, int16_t pan, uint8_t kind, int16_t target) {
    ASSERT_EQ(AddAutomationPoint(AutomationListRef{rack_}, time, level, pan, kind, target), noErr);
  }
  Handle List() const { return GetRackAutomationList(rack_); }

  std::tuple<int16_t, int16_t, int16_t, uint64_t, int32_t, float> saved_;
  Handle rack_;
};

struct MixCase {
  int32_t lane;
  uint8_t kind;
  int16_t bus;
};

// Each mix lane over a span holding points of its own target, of another kind and (send lanes)
// of another bus: only its target's points in the span are replaced, by one point per change;
// the first column that repeats the value in force before the span writes nothing.
TEST_F(LaneWriterTest, AMixLaneReplacesItsTargetsPointsInTheSpanByOnePerChange) {
  for (MixCase c : {MixCase{8, 1, 0}, MixCase{9, 2, 0}, MixCase{11, 4, 2}, MixCase{12, 5, 3}}) {
    SCOPED_TRACE(c.lane);
    ShowLane(c.lane, c.bus);
    SetRackAutomationList(rack_, Handle());
    auto add = [&](uint32_t t, int32_t v, uint8_t kind, int16_t target) {
      bool level = kind == kAutomationVolume || kind == kAutomationSendLevel;
      Add(t, level ? v : 0, int16_t(level ? 0 : v), kind, target);
    };
    add(1005, 40, c.kind, c.bus);          // before the span: the value in force
    add(1012, 99, c.kind, c.bus);          // inside: replaced
    add(1015, 77, c.kind == 1 ? 2 : 1, 0);  // another kind inside: kept
    if (c.kind >= 4) add(1016, 66, c.kind, int16_t(c.bus + 1));  // another bus: kept
    add(1030, 90, c.kind, c.bus);          // after the span: kept
    gLaneColumns.values.assign(kColumns, kNoLaneValue);
    SetColumns(XAt(1010), {40, 40, 50, 50, 50, 60, 61});
    ASSERT_EQ(WriteMixLane(c.lane, XAt(1010), XAt(1017)), noErr);
    std::vector<Pt> want = {{1005, c.kind, c.bus, 40}, {1012, c.kind, c.bus, 50}, {1015, uint8_t(c.kind == 1 ? 2 : 1), 0, 77},
                            {1015, c.kind, c.bus, 60}, {1016, c.kind, c.bus, 61}, {1030, c.kind, c.bus, 90}};
    if (c.kind >= 4) want.insert(want.begin() + 4, Pt{1016, c.kind, int16_t(c.bus + 1), 66});
    EXPECT_EQ(Points(List()), want);
  }
}

// Columns without a value write nothing: -1 where nothing was chased, and the lane's range R or
// above ... except that R itself is full scale, written as R - 1 (a volume drawn at the top is
// 32768, unity, never 32769). A value after a gap compares with the last one written.
TEST_F(LaneWriterTest, ColumnsWithoutAValueWriteNoPoint) {
  ShowLane(kLaneVolumeAutomation, 0);
  int32_t r = GetLaneRange(kLaneVolumeAutomation);
  SetColumns(XAt(1100), {-1, -1, r / 2, -1, r / 2, r + 1, r, r, r + 5, -5, 3});
  ASSERT_EQ(WriteMixLane(kLaneVolumeAutomation, XAt(1100), XAt(1111)), noErr);
  EXPECT_EQ(Points(List()), (std::vector<Pt>{{1102, 1, 0, r / 2}, {1106, 1, 0, r - 1}, {1110, 1, 0, 3}}));
}

// The pencil's release span runs two columns past the stroke, where the builder left the
// lane's no-value mark R; the release fill gives them the stroke's last value, so a stroke
// ending on 32767 (a real volume here, just under unity) writes that one point, no phantom
// unity point at R - 1.
TEST_F(LaneWriterTest, TheReleaseFillOfAVolumeLaneWritesNoPhantomPoints) {
  ShowLane(kLaneVolumeAutomation, 0);
  int32_t r = GetLaneRange(kLaneVolumeAutomation);
  SetColumns(XAt(1200), {32767, r, r + 2, r});
  FillEmptyLaneColumns(kLaneVolumeAutomation, XAt(1200), XAt(1204));
  ASSERT_EQ(WriteMixLane(kLaneVolumeAutomation, XAt(1200), XAt(1204)), noErr);
  EXPECT_EQ(Points(List()), (std::vector<Pt>{{1200, 1, 0, 32767}}));
}

// A point at the span's first position is replaced by what is drawn there, not kept as the
// value in force: redrawing it at the value it had keeps it.
TEST_F(LaneWriterTest, APointAtTheSpansStartIsRedrawnNotLost) {
  ShowLane(kLanePanAutomation, 0);
  Add(1000, 0, 20, kAutomationPan, 0);
  Add(1050, 0, 100, kAutomationPan, 0);
  SetColumns(XAt(1050), {100, 100, 30});
  ASSERT_EQ(WriteMixLane(kLanePanAutomation, XAt(1050), XAt(1053)), noErr);
  EXPECT_EQ(Points(List()), (std::vector<Pt>{{1000, 2, 0, 20}, {1050, 2, 0, 100}, {1052, 2, 0, 30}}));
}

// A list of an older song ends at 0x7FFFFFFF: the lane writes its points before that end and
// leaves it as it is; a list the writer makes ends at 0xFFFFFFFF with kind 0.
TEST_F(LaneWriterTest, EitherEndRecordEndsTheListsTheLanesWrite) {
  ShowLane(kLaneVolumeAutomation, 0);
  SetColumns(XAt(1000), {7, 8});
  ASSERT_EQ(WriteMixLane(kLaneVolumeAutomation, XAt(1000), XAt(1002)), noErr);
  ASSERT_EQ(PointListEndIndex(List()), 2);
  AutomationView end{PointRecordAt(List(), 2)};
  EXPECT_EQ(end.Time(), 0xFFFFFFFFu);
  EXPECT_EQ(end.Kind(), 0);
  end.SetTime(0x7FFFFFFF);  // as an older song stored it
  SetColumns(XAt(1000), {9, 8});
  ASSERT_EQ(WriteMixLane(kLaneVolumeAutomation, XAt(1000), XAt(1002)), noErr);
  EXPECT_EQ(Points(List()), (std::vector<Pt>{{1000, 1, 0, 9}, {1001, 1, 0, 8}}));
  EXPECT_EQ(GetHandleSize(List()), 3 * kAutomationRecordSize);
  EXPECT_EQ(AutomationView{PointRecordAt(List(), 2)}.Time(), 0x7FFFFFFFu);
}

// The parameter lane: each column over the scale's range, written where it lies in 0..1 and
// changes; the value before the span is the last point of the same plug-in and parameter
// (not the other plug-in's); an indexed parameter is read half a step up.
TEST_F(LaneWriterTest, TheParameterLaneWritesTheColumnsOverTheScalesRange) {
  ShowLane(kLanePluginParameter, 5);
  AutomationPoint p;
  p.SetKind(kAutomationParameter);
  p.SetTarget(5);
  for (auto [time, plugin, value] : {std::tuple{1001u, kPanePluginIndex, 0.25f}, std::tuple{1002u, kPanePluginIndex + 1, 0.5f},
                                     std::tuple{1012u, kPanePluginIndex, 0.9f}, std::tuple{1013u, kPanePluginIndex + 1, 0.7f}}) {
    p.SetTime(time);
    p.SetPluginIndex(plugin);
    p.SetValue(value);
    ASSERT_EQ(InsertAutomationPoint(AutomationListRef{rack_}, p, kReplaceSamePoint), noErr);
  }
  gLaneScale.scaleRange = 400.0f;
  // 0.25 repeats the value in force; 500 and -1 lie outside 0..1; 400 is exactly 1.0.
  SetColumns(XAt(1010), {100, 200, 500, -1, 400, 0});
  ASSERT_EQ(WriteParameterLane(XAt(1010), XAt(1016)), noErr);
  EXPECT_EQ(Points(List()), (std::vector<Pt>{{1001, 3, 5, 0}, {1002, 3, 5, 1}, {1011, 3, 5, 0}, {1013, 3, 5, 1},
                                             {1014, 3, 5, 0}, {1015, 3, 5, 0}}));
  EXPECT_EQ(ParameterValues(List()), (std::vector<float>{0.25f, 0.5f, 0.5f, 0.7f, 1.0f, 0.0f}));

  gLaneScale.scaleRange = 4.0f;
  gLaneScale.scaleParameterKind = 1;  // an indexed parameter of 0..4
  SetRackAutomationList(rack_, Handle());
  SetColumns(XAt(1020), {0, 1, 3, 4});
  ASSERT_EQ(WriteParameterLane(XAt(1020), XAt(1024)), noErr);
  EXPECT_EQ(ParameterValues(List()), (std::vector<float>{0.125f, 0.375f, 0.875f}));
}

TEST_F(LaneWriterTest, AParameterScaleOfNoRangeWritesNothing) {
  ShowLane(kLanePluginParameter, 1);
  gLaneScale.scaleRange = 0.0f;
  SetColumns(XAt(1010), {1, 2, 3});
  EXPECT_EQ(WriteParameterLane(XAt(1010), XAt(1013)), noErr);
  EXPECT_FALSE(List());
}

int gAlertsShown = 0;

// An insert that fails stops the writing: the points written before it stay and the failure
// is reported once, whether the writer runs alone or under the gesture's release
// (ApplyLaneColumns); the gesture's undo step takes it all back.
TEST_F(LaneWriterTest, AFailedInsertStopsTheWritingAndIsReportedOnce) {
  ShowLane(kLaneVolumeAutomation, 0);
  std::vector<int32_t> ramp(2000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = int32_t(i % 100);
  for (bool release : {false, true}) {
    SCOPED_TRACE(release ? "ApplyLaneColumns" : "WriteMixLane");
    SetRackAutomationList(rack_, Handle());
    Add(3000, 5, 0, kAutomationVolume, 0);  // the list exists: each insert grows it
    SetColumns(XAt(1000), ramp);
    auto savedHooks = gErrorReportHooks;
    gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t { return ++gAlertsShown, 1; };
    uint16_t background = gAppState[3];
    gAppState[3] = 0;
    gInsufficientMemoryShown = 0;
    gAlertsShown = 0;
    uint64_t budget = GetMemoryBudget();
    SetMemoryBudget(GetMemoryInUse() + 100 * kAutomationRecordSize);
    Rect span{0, XAt(1000), 100, XAt(3000)};
    OSErr err = release ? ApplyLaneColumns(span) : WriteMixLane(kLaneVolumeAutomation, XAt(1000), XAt(3000));
    SetMemoryBudget(budget);
    int16_t shown = gInsufficientMemoryShown;
    gInsufficientMemoryShown = 0;
    gErrorReportHooks = savedHooks;
    gAppState[3] = background;
    EXPECT_EQ(err, memFullErr);
    EXPECT_EQ(shown, 1) << "the failure was not reported";
    EXPECT_EQ(gAlertsShown, 1) << "the failure was not reported once";
    std::vector<Pt> points = Points(List());
    ASSERT_GT(points.size(), 2u);
    ASSERT_LT(points.size(), ramp.size());
    for (size_t i = 0; i + 1 < points.size(); ++i) EXPECT_EQ(points[i], (Pt{uint32_t(1000 + i), 1, 0, int32_t(i % 100)}));
    EXPECT_EQ(points.back(), (Pt{3000, 1, 0, 5}));
  }
}

// The track's rack names no engine channel: the channels the engine made for the current track
// take the written points at once, with their cursors at their positions.
TEST_F(LaneWriterTest, ThePlayingTracksChannelTakesTheWrittenPoints) {
  ShowLane(kLaneVolumeAutomation, 0);
  EngineChannel* channel = nullptr;
  ASSERT_EQ(ClaimEngineChannel(&channel), 0);
  channel->song = gCurrentSongHandle;
  channel->trackNumber = gCurrentTrack[kTrackNumber];
  channel->position = 1011;
  SetColumns(XAt(1010), {10, 20, 30});
  ASSERT_EQ(WriteMixLane(kLaneVolumeAutomation, XAt(1010), XAt(1013)), noErr);
  ASSERT_TRUE(channel->automation);
  EXPECT_NE(channel->automation, List());
  EXPECT_EQ(Points(channel->automation), Points(List()));
  EXPECT_EQ(channel->automationCursor, PointRecordAt(channel->automation, 1));
  DisposeHandle(channel->automation);
  channel->automation = Handle();
  ReleaseEngineChannels();
}

}  // namespace
