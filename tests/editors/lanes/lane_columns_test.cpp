// The data lanes' columns and their drawing: the builders of the MIDI, conductor and
// automation lanes at odd resolutions and in 6/8, the repair of an unsorted point list, and
// the step and dot graphs on an offscreen port.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "editors/automation/automation_points.h"
#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_drawing.h"
#include "editors/lanes/lane_scale.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/system/sys_beep.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/editors/pane_fixture.h"

namespace {

using editors_test::PaneDrawingTest;

struct Ev {
  uint32_t tick;
  uint8_t status, d1, d2;
  uint16_t duration = 0;  // notes only
};

std::vector<uint8_t> Records(const std::vector<Ev>& events) {
  std::vector<uint8_t> bytes;
  for (const Ev& e : events) {
    size_t at = bytes.size();
    bool note = (e.status & 0xF0) == kKindNote;
    bytes.resize(at + (note ? kLongEventSize : kShortEventSize));
    if (note) FillLongEvent(&bytes[at], e.tick, e.status, e.d1, e.d2, e.duration);
    else FillShortEvent(&bytes[at], e.tick, e.status, e.d1, e.d2);
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  return bytes;
}

class LaneColumnsTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    gDesktopBounds = Rect{0, 0, 700, 800};
    gLaneController = 7;
    gLaneScale.laneLeftTick = 1;
  }
  // Builds kind from the track's events into values.
  void Build(int32_t kind, const std::vector<Ev>& events) {
    AddTrack(1, Records(events));
    SizeLaneColumns();
    gLaneColumns.target = gLaneColumns.values.data();
    gLaneScale.laneLeftTick = gTimelineLeftTick;
    ASSERT_EQ(noErr, BuildLaneColumns(kind));
  }
  int32_t At(int32_t column) { return gLaneColumns.values[size_t(column)]; }
  int32_t ColumnOfTick(int32_t tick) { return TimeToX(tick, gTimelineLeftTick) - gTimelineFrame.originX; }
};

TEST_F(LaneColumnsTest, LanesWithoutTheirEventsShowNoGraphOrTheBendCentre) {
  Build(kLaneController, {{97, 0xB0, 1, 50}, {193, 0xE0, 0, 70}});  // controller 1 and a bend only
  for (int32_t c = 0; c < gLaneColumns.count; c += 37) EXPECT_EQ(At(c), kNoLaneValue) << c;
  Build(kLanePitchBend, {{97, 0xB0, 7, 50}});
  for (int32_t c = 0; c < gLaneColumns.count; c += 37) EXPECT_EQ(At(c), 8192) << c;
}

TEST_F(LaneColumnsTest, NotesStartingInOnePixelShowTheirAverageVelocity) {
  Build(kLaneVelocity, {{41, 0x90, 60, 100, 10}, {43, 0x90, 64, 51, 10}, {81, 0x90, 60, 20, 10}});
  EXPECT_EQ(At(ColumnOfTick(41) - 1), 0);
  EXPECT_EQ(At(ColumnOfTick(41)), 75);
  EXPECT_EQ(At(ColumnOfTick(81) - 1), 75);
  EXPECT_EQ(At(ColumnOfTick(81)), 20);
}

// A controller ramp on every eighth note: each event's column holds its value, the column
// before it the previous one, at odd resolutions, in 6/8 and scrolled.
TEST_F(LaneColumnsTest, ControllerRampFillsStepsAtEveryResolutionAndMeter) {
  struct Case {
    int32_t resolution, numerator, denominator, leftTick;
  } cases[] = {{96, 6, 8, 1}, {384, 6, 8, 1}, {96, 4, 4, 200}, {480, 4, 4, 961}};
  for (const Case& k : cases) {
    editors_test::UseTimebase(k.resolution, k.numerator, k.denominator);
    gTimelineLeftTick = k.leftTick;
    std::vector<Ev> ramp;
    for (int i = 0; i < 40; ++i) ramp.push_back({uint32_t(1 + i * k.resolution / 2), 0xB3, 7, uint8_t(3 * i)});
    ramp.push_back({uint32_t(1 + 5 * k.resolution), 0xB0, 8, 127});  // another controller
    Build(kLaneController, ramp);
    for (int i = 0; i < 40; ++i) {
      int32_t c = ColumnOfTick(int32_t(ramp[size_t(i)].tick));
      if (c <= 0 || c >= gLaneColumns.count) continue;
      EXPECT_EQ(At(c), 3 * i) << "resolution " << k.resolution << " event " << i;
      EXPECT_EQ(At(c - 1), i ? 3 * (i - 1) : kNoLaneValue) << "resolution " << k.resolution << " event " << i;
      EXPECT_EQ(gLaneColumns.channels[size_t(c)], 3);
    }
  }
}

TEST_F(LaneColumnsTest, BendReferenceLeavesTheLaneValuesAlone) {
  Build(kLaneController, {{97, 0xB0, 7, 50}});
  AddTrack(1, Records({{97, 0xE0, 0, 0}}));
  BuildBendReferenceColumns();
  EXPECT_EQ(gLaneColumns.reference[size_t(ColumnOfTick(97) - 1)], 8192);
  EXPECT_EQ(gLaneColumns.reference[size_t(ColumnOfTick(97))], 0);
  EXPECT_EQ(At(ColumnOfTick(97)), 50);
}

// Volume lanes reach 32768 (unity): the columns hold it, and before the first point they hold
// no value rather than a level a writer could take.
TEST_F(LaneColumnsTest, UnsortedPointsBeepOnceAndAreSortedAndVolumesKeepUnity) {
  AddTrack(1, Records({}));
  OSErr err = noErr;
  Handle rack = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, 1000.0f, false, &err);
  ASSERT_NE(rack, nullptr);
  AutomationListRef ref{rack};
  float rate = GetRackSampleRate(rack);
  auto position = [&](int32_t tick) { return uint64_t(TickToSamplePosition(tick, rate)); };
  ASSERT_EQ(noErr, AddAutomationPoint(ref, position(401), 32768, 0, 1, 0));
  ASSERT_EQ(noErr, AddAutomationPoint(ref, position(801), 16384, 0, 1, 0));
  Handle list = GetRackAutomationList(rack);
  ASSERT_EQ(PointListEndIndex(list), 2);
  uint8_t swap[16];  // out of order
  std::memcpy(swap, PointRecordAt(list, 0), 16);
  std::memcpy(PointRecordAt(list, 0), PointRecordAt(list, 1), 16);
  std::memcpy(PointRecordAt(list, 1), swap, 16);
  SizeLaneColumns();
  gLaneColumns.target = gLaneColumns.values.data();
  UInt32 beeps = GetSysBeepCount();
  BuildLaneColumns(kLaneVolumeAutomation);
  EXPECT_EQ(GetSysBeepCount(), beeps + 1);
  EXPECT_LE(ReadU32BE(PointRecordAt(list, 0)), ReadU32BE(PointRecordAt(list, 1)));
  BuildLaneColumns(kLaneVolumeAutomation);
  EXPECT_EQ(GetSysBeepCount(), beeps + 1);
  EXPECT_EQ(At(0), GetLaneValueLimit(kLaneVolumeAutomation));
  int32_t top = GetLaneRange(kLaneVolumeAutomation) - 1;  // 32768 with the volume range
  EXPECT_EQ(At(ColumnOfTick(401) + 1), std::min(32768, top));
  EXPECT_EQ(At(ColumnOfTick(801) + 1), std::min(16384, top));
}

// The graphs on an offscreen port: steps at the y the lane scale gives, a program change that
// began left of a scrolled view without its circle.
class LaneGraphTest : public LaneColumnsTest {
 protected:
  void Paint(bool dots, const std::vector<int32_t>& columns, int32_t limit, int32_t range) {
    Rect bounds{0, 0, 200, 300};
    GetGWorld(&savedPort, &savedDevice);
    ASSERT_EQ(noErr, NewGWorld(&graph, 32, &bounds, nullptr, nullptr, 0));
    SetGWorld(graph, nullptr);
    BackColor(whiteColor);
    EraseRect(&bounds);
    ForeColor(blackColor);
    gScratchRect = Rect{20, 0, 120, 300};
    gTimelineFrame.originX = 10;
    gLaneColumns.count = int32_t(columns.size());
    if (dots) DrawLaneDots(columns.data(), limit, range, 10, 250);
    else {
      PenSize(2, 2);
      DrawLaneSteps(columns.data(), limit, range, 10, 250);
    }
    PenNormal();
  }
  bool Black(int h, int v) {
    RGBColor c;
    GetCPixel(short(h), short(v), &c);
    return (PixelFromRGB(c) & 0xFFFFFF) == 0;
  }
  void TearDown() override {
    if (graph) {
      SetGWorld(savedPort, savedDevice);
      DisposeGWorld(graph);
    }
    LaneColumnsTest::TearDown();
  }
  GWorldPtr graph = nullptr;
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
};

TEST_F(LaneGraphTest, StepsLieAtTheScaledValuesAndSkipColumnsWithoutValue) {
  std::vector<int32_t> columns(300, kNoLaneValue);
  for (int c = 40; c < 120; ++c) columns[size_t(c)] = 8192;
  for (int c = 120; c < 300; ++c) columns[size_t(c)] = 32768;  // unity in a volume lane
  Paint(false, columns, 32769, 32769);
  int16_t centre = ValueToLaneY(8192, 32769), unity = ValueToLaneY(32768, 32769);
  EXPECT_NE(centre, unity);
  EXPECT_TRUE(Black(10 + 60, centre));
  EXPECT_TRUE(Black(10 + 200, unity));
  EXPECT_FALSE(Black(10 + 20, centre)) << "no value: nothing drawn";
  EXPECT_FALSE(Black(10 + 200, centre));
}

TEST_F(LaneGraphTest, ProgramChangeFromLeftOfAScrolledViewHasNoCircle) {
  std::vector<int32_t> columns(300, 40);
  for (int c = 100; c < 300; ++c) columns[size_t(c)] = 90;
  gTimelineLeftTick = 500;
  Paint(true, columns, 128, 128);
  int16_t first = ValueToLaneY(40, 128), second = ValueToLaneY(90, 128);
  EXPECT_TRUE(Black(10 + 50, first));
  EXPECT_FALSE(Black(10, first - 3)) << "the first value began off screen";
  EXPECT_TRUE(Black(10 + 100, second - 3)) << "the circle of the second value";
}

// The whole pane: a pitch-bend lane without bends draws a flat line at the centre.
TEST_F(LaneColumnsTest, PitchBendPaneWithoutBendsDrawsTheCentreLine) {
  AddTrack(1, Records({{97, 0x90, 60, 100, 96}}));
  AddPane(1, 0);
  gEditorPanes[0].viewMode = 2;
  gLaneBackdropHidden = true;
  Draw();
  gLaneBackdropHidden = false;
  gScratchRect = gLastDrawnLaneRect;
  int16_t y = ValueToLaneY(8192, GetLaneRange(kLanePitchBend));
  int black = 0;
  for (int x = gTimelineFrame.originX + 2; x < gScratchRect.right - 20; ++x) black += Pixel(x, y) == 0;
  EXPECT_GT(black, (gScratchRect.right - 22 - gTimelineFrame.originX) * 9 / 10);
}

}  // namespace
