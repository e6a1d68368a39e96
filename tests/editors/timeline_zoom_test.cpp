// The zoom step of the main editor: the range of levels by resolution and by what the panes
// show, the vertical zoom of the note rows with option, what the song keeps and shows again,
// and a sweep over every level in and out, in 4/4 and 6/8 at an odd resolution, in which a
// visible selection start keeps its pixel (the left edge rounded by the time display format
// only while the start stays in view).
#include "editors/panes/timeline_zoom.h"

#include <algorithm>
#include <cstdlib>

#include "editors/follow/play_cursor.h"
#include "editors/note_drawing/bent_notes.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/key_codes.h"
#include "platform/memory/byte_order.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/conductor/timebase.h"
#include "song/conductor/track_time_formats.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

constexpr float kRate = 44100.0f;
constexpr int32_t kKeptPixels = 200;  // the selection start this far right of the origin

class TimelineZoomTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    UseTimebase(97, 4, 4);
    AddTrack(0, NoteRecords({{1, 60, 40}}));
    AddPane(0, 48);
    SongHeaderView(gCurrentSong).SetBars(60000);
    SongHeaderView(gCurrentSong).SetEndTick(uint32_t(BarToTick(60000)));
    ShowWindow(gMainEditorRecord.window);
    gLastEvent = EventRecord{};
    gTrackTimeFormat = kTimeFormatTicks;
  }
  void TearDown() override {
    gTimeSelection = TimeSelection();
    gZoomLevel = kInitialZoomLevel;
    gTimelineLeftTick = 1;
    gTimelineLeftSample = 0;
    gTrackTimeFormat = kTimeFormatBarsRoundedUp;
    gLastEvent = EventRecord{};
    gZoomHooks = ZoomHooks();
    SetNoteZoom(0);
    PaneDrawingTest::TearDown();
    ChangeResolutionTo(kDefaultTicksPerQuarter);
  }
  void Option(bool held) { gLastEvent.modifiers = held ? uint16_t(optionKey) : 0; }
  void SelectFrom(int32_t tick, float rate) {
    gTimeSelection.start.tick = uint32_t(tick);
    gTimeSelection.end.tick = uint32_t(tick + 50);
    gTimeSelection.start.rate = gTimeSelection.end.rate = rate;
    float r = rate > 0 ? rate : kDefaultSampleRate;
    gTimeSelection.start.sample = uint64_t(TickToSamplePosition(tick, r));
    gTimeSelection.end.sample = uint64_t(TickToSamplePosition(tick + 50, r));
  }
  // The view at level with the selection start kKeptPixels right of the origin.
  void PlaceAt(int16_t level) {
    gZoomLevel = level;
    if (level >= 0) {
      gTimelineLeftTick = int32_t(gTimeSelection.start.tick) - (kKeptPixels << level);
      gTimelineLeftSample = uint64_t(TickToSamplePosition(gTimelineLeftTick, GetTimelineSampleRate()));
      return;
    }
    int64_t samples = level == kLowestZoomLevel ? kKeptPixels / 4 : int64_t(kKeptPixels) << (level + 5);
    gTimelineLeftSample = gTimeSelection.start.sample - uint64_t(samples);
    gTimelineLeftTick = int32_t(SamplePositionToTick(int64_t(gTimelineLeftSample), GetTimelineSampleRate()));
  }
  int32_t StartX() const {
    if (gZoomLevel < 0 && gTimeSelection.start.rate > 0)
      return SamplePositionToX(gTimeSelection.start.sample, gTimelineLeftSample);
    return TimeToX(int32_t(gTimeSelection.start.tick), gTimelineLeftTick);
  }
  bool StartShown() const {
    return StartX() >= gTimelineFrame.originX && StartX() <= GetMainWindowRight() - kTimelineScrollBarWidth;
  }
};

TEST_F(TimelineZoomTest, TheLevelsRunFromZeroOrMinusSixToTheWidestOfTheResolution) {
  struct Case { int32_t resolution; int16_t widest; };
  for (Case c : {Case{24, 7}, Case{48, 8}, Case{96, 9}, Case{384, 12}, Case{97, 12}}) {
    SCOPED_TRACE(c.resolution);
    gTicksPerQuarter = c.resolution;
    EXPECT_EQ(GetMaxZoomLevel(), c.widest);
    gEditorPanes[0].viewMode = 0;
    gZoomLevel = 0;
    for (int k = 0; k < 20; ++k) ZoomEditorStep(kZoomOut);
    EXPECT_EQ(gZoomLevel, c.widest);
    for (int k = 0; k < 20; ++k) ZoomEditorStep(kZoomIn);
    EXPECT_EQ(gZoomLevel, 0) << "no pane allows the sample levels";
    gEditorPanes[0].viewMode = 9;
    EXPECT_TRUE(IsAudioZoomAllowed());
    for (int16_t expected = -1; expected >= kLowestZoomLevel; --expected) EXPECT_EQ(ZoomEditorStep(kZoomIn), expected);
    EXPECT_EQ(ZoomEditorStep(kZoomIn), kLowestZoomLevel);
    EXPECT_EQ(ZoomEditorStep(kZoomOut), -5);
  }
}

TEST_F(TimelineZoomTest, OptionZoomsTheNoteRowsWithinTheTableAndTheSongKeepsBoth) {
  Option(true);
  struct Case { int16_t index; int16_t out; int16_t expected; int16_t octave; };
  const Case cases[] = {
      {0, kZoomIn, 1, 48},  {0, kZoomOut, 0, 38}, {9, kZoomIn, 10, 152}, {10, kZoomIn, 10, 152},
      {4, kZoomOut, 3, 67}, {12, kZoomIn, 1, 48},  {12, kZoomOut, 0, 38},  // above 10: taken as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "index " << c.index << " out " << c.out);
    SetNoteZoom(0);
    gVerticalZoomIndex = c.index;
    gZoomLevel = 5;
    ZoomEditorStep(c.out);
    EXPECT_EQ(gZoomLevel, 5) << "the timeline keeps its level";
    EXPECT_EQ(gVerticalZoomIndex, c.expected);
    EXPECT_EQ(gOctaveHeight, c.octave);
    EXPECT_EQ(gCurrentSong[kSongVerticalZoom], c.expected);
    EXPECT_EQ(gSongVerticalZoomMirror, c.expected);
  }
  Option(false);
  gZoomLevel = -3;
  gEditorPanes[0].viewMode = 9;
  gTimelineLeftTick = BarToTick(7);
  ZoomEditorStep(kZoomIn);
  EXPECT_EQ(int8_t(gCurrentSong[kSongZoomLevel]), -4);
  EXPECT_EQ(int8_t(gSongZoomMirror), -4);
  EXPECT_EQ(ReadU16BE(gCurrentSong + kSongEditorScroll), uint16_t(GetTimelineScrollBar()));
}

TEST_F(TimelineZoomTest, ASongShowsTheZoomsItStoredAndOneThatStoredNoneKeepsTheEditors) {
  struct Case { uint8_t level, index; int32_t resolution; int16_t audioView; int16_t zoom, vertical; };
  const Case cases[] = {
      {5, 3, 97, 0, 5, 3},          {5, 12, 97, 0, 5, 0},  // an index above 10 behaves as 0
      {uint8_t(-4), 2, 97, 9, -4, 2}, {uint8_t(-4), 2, 97, 0, 0, 2},  // no audio pane: level 0
      {11, 0, 96, 0, 9, 0},         {0, 0, 97, 0, 7, 6},   // nothing stored: the editor's stay
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.level) << " " << int(c.index));
    gTicksPerQuarter = c.resolution;
    gEditorPanes[0].viewMode = uint8_t(c.audioView);
    gZoomLevel = 7;
    SetNoteZoom(6);
    gCurrentSong[kSongZoomLevel] = c.level;
    gCurrentSong[kSongVerticalZoom] = c.index;
    WriteU16BE(gCurrentSong + kSongEditorScroll, 0);
    ApplySongZoom();
    EXPECT_EQ(gZoomLevel, c.zoom);
    EXPECT_EQ(gVerticalZoomIndex, c.vertical);
  }
}

TEST_F(TimelineZoomTest, TheLeftEdgeIsRoundedByTheTimeDisplayFormat) {
  int32_t bar = BarToTick(11), barLength = BarToTick(12) - bar;
  gTrackTimeFormat = kTimeFormatTicks;
  EXPECT_EQ(RoundLeftEdgeByTimeFormat(bar + 7), bar + 7);
  for (uint16_t format : {kTimeFormatBarsRoundedUp, kTimeFormatBar}) {
    gTrackTimeFormat = format;
    EXPECT_EQ(RoundLeftEdgeByTimeFormat(bar + barLength / 2), bar);
    EXPECT_EQ(RoundLeftEdgeByTimeFormat(bar + barLength / 2 + 1), bar + barLength) << "past half: the next bar";
    EXPECT_EQ(RoundLeftEdgeByTimeFormat(1), 1);
  }
  // At 120 beats a minute a second is two beats (194 ticks at 97), a frame (30 a second)
  // 6.47 ticks; the roundings land within half a unit of the tick.
  gTrackTimeFormat = kTimeFormatSamples;
  int32_t second = RoundLeftEdgeByTimeFormat(bar + 30);
  EXPECT_LE(std::abs(second - (bar + 30)), 97 + 1);
  EXPECT_EQ(RoundLeftEdgeByTimeFormat(second + 40), second) << "the same second";
  gTrackTimeFormat = kTimeFormatBeats;
  int32_t frame = RoundLeftEdgeByTimeFormat(bar + 30);
  EXPECT_LE(std::abs(frame - (bar + 30)), 4);
  EXPECT_EQ(RoundLeftEdgeByTimeFormat(frame + 1), frame) << "the same frame";
}

struct SweepCase {
  int32_t numerator, denominator;
  uint16_t format;
};

class ZoomKeepsTheSelection : public TimelineZoomTest, public testing::WithParamInterface<SweepCase> {};

// Every level from -6 to the widest, in and out, with an audio pane so that the sample levels
// are allowed: the selection start stays in view, at its pixel unless the left edge was rounded
// to a bar line.
TEST_P(ZoomKeepsTheSelection, AtEveryLevelInAndOut) {
  UseTimebase(97, GetParam().numerator, GetParam().denominator);
  gTrackTimeFormat = GetParam().format;
  gEditorPanes[0].viewMode = 9;
  ASSERT_GT(GetMainWindowRight() - kTimelineScrollBarWidth, gTimelineFrame.originX + kKeptPixels);
  int32_t start = BarToTick(5000) + 61;
  for (float rate : {kRate, 0.0f}) {  // a selection without a rate uses the default rate
    SelectFrom(start, rate);
    for (int16_t level = kLowestZoomLevel; level <= GetMaxZoomLevel(); ++level) {
      for (int16_t out : {kZoomIn, kZoomOut}) {
        SCOPED_TRACE(testing::Message() << "rate " << rate << " level " << level << " out " << out);
        PlaceAt(level);
        int32_t oldX = StartX();
        ASSERT_EQ(oldX, gTimelineFrame.originX + kKeptPixels);
        int16_t expected = int16_t(std::clamp<int32_t>(level + (out ? 1 : -1), kLowestZoomLevel, GetMaxZoomLevel()));
        EXPECT_EQ(ZoomEditorStep(out), expected);
        EXPECT_TRUE(StartShown()) << "x " << StartX();
        EXPECT_GE(gTimelineLeftTick, 1);
        bool onBar = BarToTick(TickToBar(gTimelineLeftTick)) == gTimelineLeftTick;
        if (GetParam().format == kTimeFormatTicks || !onBar) {
          int32_t slack = (level == kLowestZoomLevel || expected == kLowestZoomLevel) ? 4 : 1;
          EXPECT_LE(std::abs(StartX() - oldX), slack);
        }
        if (GetParam().format != kTimeFormatTicks && expected >= 3 && expected != level) EXPECT_TRUE(onBar) << "a bar fits the view";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Meters, ZoomKeepsTheSelection,
                         testing::Values(SweepCase{4, 4, kTimeFormatTicks}, SweepCase{6, 8, kTimeFormatTicks},
                                         SweepCase{4, 4, kTimeFormatBar}, SweepCase{6, 8, kTimeFormatBarsRoundedUp}),
                         [](const testing::TestParamInfo<SweepCase>& info) {
                           return std::to_string(info.param.numerator) + "_" + std::to_string(info.param.denominator) +
                                  "_Format" + std::to_string(info.param.format);
                         });

TEST_F(TimelineZoomTest, ASelectionOutOfViewLeavesTheLeftEdgeAndTheBendColumnsAreRebuiltWhenShown) {
  static int rebuilt = 0;
  rebuilt = 0;
  gZoomHooks.rebuildBendReference = [] { ++rebuilt; };
  SelectFrom(BarToTick(4000), kRate);
  gZoomLevel = 4;
  gTimelineLeftTick = BarToTick(3) + 5;
  ZoomEditorStep(kZoomOut);
  EXPECT_EQ(gTimelineLeftTick, BarToTick(3) + 5);
  EXPECT_EQ(rebuilt, 0);
  gCurrentTrack[kTrackOutputFlags] |= kTrackBendDisplay;
  ASSERT_TRUE(IsBendDisplayOn());
  ZoomEditorStep(kZoomIn);
  EXPECT_EQ(rebuilt, 1);
}

}  // namespace
}  // namespace editors_test
