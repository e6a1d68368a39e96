// The play cursor: drawn at the song position's column in every pane, moved only when its
// column changes, left in place at a stop, and paging the view when the position leaves it.
#include "editors/follow/play_cursor.h"
#include "editors/follow/window_refresh.h"

#include "editors/timeline/timeline_axis.h"
#include "platform/windows/windows.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

class PlayCursorTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    ShowWindow(gMainEditorRecord.window);
    AddTrack(1, NoteRecords({}));
    AddPane(1, 48);
    SongHeaderView(gCurrentSong).SetEndTick(8000000);
    Draw();
    GetPaneContentRect(0, &content_);
  }
  void TearDown() override {
    SetLocatePoint(1);
    PaneDrawingTest::TearDown();
  }
  void MoveTo(uint32_t tick) { SetLocatePoint(tick); }
  // The columns of the pane's middle row that differ from the background drawn before.
  std::vector<int> ChangedColumns(const std::vector<uint32_t>& before) {
    std::vector<int> columns;
    int v = (content_.top + content_.bottom) / 2;
    for (int h = content_.left; h < content_.right; ++h)
      if (Pixel(h, v) != before[size_t(h - content_.left)]) columns.push_back(h);
    return columns;
  }
  std::vector<uint32_t> Row() {
    std::vector<uint32_t> row;
    int v = (content_.top + content_.bottom) / 2;
    for (int h = content_.left; h < content_.right; ++h) row.push_back(Pixel(h, v));
    return row;
  }
  Rect content_{};
};

TEST_F(PlayCursorTest, TheCursorStandsAtThePositionsColumnAtEveryZoom) {
  struct Case { int16_t zoom; int32_t left; uint32_t tick; };
  const Case cases[] = {{0, 1, 1}, {0, 1, 201}, {3, 1, 961}, {3, 97, 1001}, {5, 1, 97 * 40},
                        {9, 1, 960 * 100}, {14, 1, 960 * 4000}};
  for (const Case& c : cases) {
    gZoomLevel = c.zoom;
    gTimelineLeftTick = c.left;
    ErasePlayCursors();
    Draw();
    std::vector<uint32_t> before = Row();
    MoveTo(c.tick);
    ASSERT_TRUE(IsTickVisible(int32_t(c.tick))) << c.zoom;
    EXPECT_TRUE(UpdatePlayCursor(0, -1));
    int expected = gTimelineFrame.originX + int((int64_t(c.tick) - c.left) >> c.zoom);
    EXPECT_EQ(std::vector<int>{expected}, ChangedColumns(before)) << "zoom " << c.zoom << " tick " << c.tick;
    EXPECT_EQ(expected, GetPaneCursorX(0));
  }
}

TEST_F(PlayCursorTest, AMoveRedrawsOnlyWhenTheColumnChangesAndAStopLeavesTheCursor) {
  gZoomLevel = 4;
  Draw();
  std::vector<uint32_t> before = Row();
  MoveTo(161);
  ASSERT_TRUE(UpdatePlayCursor(0, -1));
  MoveTo(170);  // the same 16-tick column
  EXPECT_FALSE(UpdatePlayCursor(0, -1));
  MoveTo(321);
  EXPECT_TRUE(UpdatePlayCursor(0, -1));
  int x = gTimelineFrame.originX + 20;
  EXPECT_EQ(std::vector<int>{x}, ChangedColumns(before)) << "the old line must be erased";
  // Stopped: the idle step leaves the cursor where it was drawn.
  MoveTo(1601);
  EXPECT_FALSE(RefreshChosenWindow());
  EXPECT_EQ(x, GetPaneCursorX(0));
  EXPECT_EQ(std::vector<int>{x}, ChangedColumns(before));
}

TEST_F(PlayCursorTest, ARedrawOfThePanesKeepsOneCursorLine) {
  gZoomLevel = 3;
  Draw();
  std::vector<uint32_t> before = Row();
  MoveTo(801);
  ASSERT_TRUE(UpdatePlayCursor(0, -1));
  Draw();  // an update of the window paints over the line
  RestorePlayCursors();
  int x = gTimelineFrame.originX + 100;
  EXPECT_EQ(std::vector<int>{x}, ChangedColumns(before));
  MoveTo(1601);
  ASSERT_TRUE(UpdatePlayCursor(0, -1));
  EXPECT_EQ(std::vector<int>{x + 100}, ChangedColumns(before)) << "no line is left behind";
}

TEST_F(PlayCursorTest, APositionOffTheViewTurnsThePageForThePaneThatStartedTheWalk) {
  // The page starts at the position's bar line, in 4/4 and 6/8, early and late in the bar;
  // the position is then in view, so the next pass draws the cursor and pages no further.
  struct Case { int32_t beats, ticksPerBar; };
  for (Case meter : {Case{4, 4 * gTicksPerQuarter}, Case{6, 3 * gTicksPerQuarter}}) {
    gConductorState.beatsPerBar = meter.beats;
    gConductorState.ticksPerBar = meter.ticksPerBar;
    ASSERT_EQ(noErr, StoreMeterAt(1));
    for (int32_t into : {0, 97, meter.ticksPerBar * 3 / 4}) {
      gZoomLevel = 3;
      gTimelineLeftTick = 1;
      ErasePlayCursors();
      int32_t barLine = BarToTick(TickToBar(GetTimelineRightTick()) + 2);
      int32_t p = barLine + into;
      MoveTo(uint32_t(p));
      EXPECT_TRUE(UpdatePlayCursor(0, 0));
      EXPECT_EQ(barLine, gTimelineLeftTick) << meter.beats << " " << into;
      EXPECT_EQ(0, GetPaneCursorX(0)) << "the new page is drawn afresh";
      EXPECT_TRUE(UpdatePlayCursor(0, 0));
      EXPECT_EQ(barLine, gTimelineLeftTick);
      EXPECT_EQ(TickToClampedPixel(p), GetPaneCursorX(0));
    }
  }
  // Another pane of the walk only draws its cursor, clamped to QuickDraw's range.
  gTimelineLeftTick = 1;
  ErasePlayCursors();
  MoveTo(5000000);
  UpdatePlayCursor(0, 1);
  EXPECT_EQ(1, gTimelineLeftTick);
  EXPECT_EQ(kQDCoordLimit, GetPaneCursorX(0));
}

// At the audio zoom levels the view starts at a sample position: a page turn moves it there
// too, so that the position is then in view and the next pass draws the cursor.
TEST_F(PlayCursorTest, AtTheAudioLevelsAPageTurnMovesTheSamplePosition) {
  for (int16_t level : {int16_t(-1), int16_t(-5), kLowestZoomLevel}) {
    gZoomLevel = level;
    gTimelineLeftTick = 1;
    gTimelineLeftSample = 0;
    ErasePlayCursors();
    MoveTo(960 * 50);
    ASSERT_FALSE(IsTickVisible(960 * 50)) << level;
    EXPECT_TRUE(UpdatePlayCursor(0, 0));
    EXPECT_TRUE(IsTickVisible(960 * 50)) << level;
    EXPECT_TRUE(UpdatePlayCursor(0, 0));
    int16_t x = GetPaneCursorX(0);
    EXPECT_GE(x, gTimelineFrame.originX) << level;
    EXPECT_LE(x, gTimelineFrame.originX + 1) << level;
  }
}

TEST_F(PlayCursorTest, PastTheTracksLengthWithNoCursorNothingIsDrawn) {
  SelectTrackNumber(1);
  TrackEntryView(gCurrentTrack).SetTickLength(500);
  std::vector<uint32_t> before = Row();
  MoveTo(600);
  EXPECT_FALSE(UpdatePlayCursor(0, 0));
  EXPECT_EQ(1, gTimelineLeftTick);
  EXPECT_TRUE(ChangedColumns(before).empty());
}

}  // namespace
}  // namespace editors_test
