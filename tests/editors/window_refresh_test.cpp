// The periodic refresh while the song plays: the front-most visible timeline window is
// chosen, the main editor's panes follow the clock even behind another window, and nothing
// moves while stopped.
#include "editors/follow/window_refresh.h"

#include <memory>

#include "editors/follow/play_cursor.h"
#include "editors/key_commands.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/windows/windows.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/transport_follower.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_lists.h"
#include "song/model/song_database.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/sequencer/transport/transport_fixture.h"
#include "tests/test_support.h"

namespace {

int gTrackWindowFollows = 0;

class WindowRefreshTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    headless_ = std::make_unique<zarin_test::ScopedEnv>("ZARIN_HEADLESS", "1");
    InitWindows();
    ResetSongDatabase();
    ClearEditorPanes();
    SelectTrackNumber(1);
    ASSERT_EQ(noErr, EnsureTrackEventList());
    CreatePlaceholderAppWindow(GetWindowSlot(kMainEditorWindowKind), &gMainEditorRecord, kMainEditorWindowKind, "Editor", Rect{60, 20, 460, 620});
    ShowWindow(gMainEditorRecord.window);
    ASSERT_EQ(noErr, CreateEditorPane(56, true, 1));
    gZoomLevel = 3;
    gTimelineLeftTick = 1;
    gWindowRefreshProc = nullptr;
    gWindowRefreshMode = 0;
    gTrackWindowFollows = 0;
    gWindowFollowHooks = WindowFollowHooks();
    gWindowFollowHooks.followTrackWindow = [] { ++gTrackWindowFollows; return false; };
    gTransportSong = MakeSong({Track({{1, 0x90, 60, 100, 10}, {20000, 0x90, 62, 100, 10}})}, {});
  }
  void TearDown() override {
    StopTransport(false);
    DrainIdleTasks();
    gWindowFollowHooks = WindowFollowHooks();
    gWindowRefreshProc = nullptr;
    gWindowRefreshMode = 0;
    ClearEditorPanes();
    DisposeAllAppWindows();
    TransportTest::TearDown();
  }
  void InFront(AppWindow* record, int16_t kind) {
    CreatePlaceholderAppWindow(GetWindowSlot(kind), record, kind, "Front", Rect{80, 40, 300, 400});
    ShowWindow(record->window);
    SelectWindow(record->window);
  }
  std::unique_ptr<zarin_test::ScopedEnv> headless_;
};

TEST_F(WindowRefreshTest, TheEditorsCursorFollowsTheClockBehindTheMixer) {
  InFront(&gMixerRecord, kMixerKind);
  EXPECT_FALSE(RefreshChosenWindow()) << "stopped: nothing follows";
  EXPECT_EQ(0, GetPaneCursorX(0));
  HandleEditorKey(' ', 0, -1, nullptr);
  FollowTransportStateAtIdle();  // the idle pass starts the play the key asked for
  ASSERT_TRUE(IsClockTaskPlaying());
  RunTicks(400);
  EXPECT_TRUE(RefreshChosenWindow());
  EXPECT_EQ(RefreshMainEditorCursors, gWindowRefreshProc);
  int16_t first = GetPaneCursorX(0);
  EXPECT_GT(first, 0);
  RunTicks(800);
  EXPECT_TRUE(RefreshChosenWindow());
  EXPECT_GT(GetPaneCursorX(0), first);
}

TEST_F(WindowRefreshTest, TheFrontMostTimelineWindowIsChosenAndModeTwoRunsThemAll) {
  InFront(&gTrackWindowRecord, kTrackWindowKind);
  HandleEditorKey(' ', 0, -1, nullptr);
  FollowTransportStateAtIdle();  // the idle pass starts the play the key asked for
  RunTicks(400);
  RefreshChosenWindow();
  EXPECT_EQ(1, gTrackWindowFollows);
  EXPECT_EQ(0, GetPaneCursorX(0)) << "the editor behind the track window is not the choice";
  gWindowRefreshMode = 2;
  ChooseRefreshWindow();
  EXPECT_TRUE(RefreshChosenWindow());
  EXPECT_EQ(2, gTrackWindowFollows);
  EXPECT_GT(GetPaneCursorX(0), 0);
  // A new choice erases the cursors of the previous one.
  gWindowRefreshMode = 0;
  ChooseRefreshWindow();
  EXPECT_EQ(0, GetPaneCursorX(0));
}

}  // namespace
