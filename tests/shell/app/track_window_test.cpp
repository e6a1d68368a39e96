// The track window lists the current song's tracks, one row each, from its scroll position.
#include <vector>

#include "editors/track_window_drawing.h"
#include "platform/controls/controls.h"
#include "platform/events/apple_events.h"
#include "platform/windows/windows.h"
#include "shell/app/app_events.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "song/events/event_index.h"
#include "song/model/songs.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

using TrackWindowTest = AppTest;

// The dark pixels of each row band of the name column, then of everything below the last
// band that holds a track.
struct RowInk {
  std::vector<int> bands;
  int below = 0;
};

RowInk ReadRowInk(int32_t rows) {
  AppWindow* record = GetWindowForKind(kTrackWindowKind);
  WindowRef window = GetAppWindowRef(record);
  LoadAppWindowContentRect(record);
  Rect content = gScratchRect;
  int16_t top = int16_t(content.top + kTrackListTop);
  RowInk ink;
  for (int32_t i = 0; i < rows; ++i) {
    Rect band{int16_t(top + i * gTrackRowHeight), content.left, int16_t(top + (i + 1) * gTrackRowHeight),
              gTrackColumnWidth};
    ink.bands.push_back(ui_test::CountDark(window, band));
  }
  Rect rest{int16_t(top + rows * gTrackRowHeight), content.left, content.bottom, content.right};
  ink.below = ui_test::CountDark(window, rest);
  return ink;
}

// The file is opened, then the program quits its event loop (the windows stay).
void PostOpenThenQuit(const char* fixture) {
  ASSERT_EQ(noErr, PostOpenDocumentsEventForPaths({zarin_test::FixturePath(fixture)}));
  PostQuitAppleEvent();
}

TEST_F(TrackWindowTest, OpeningAMidiFileRedrawsOneRowPerTrack) {
  StartUpApplication(40);
  AppWindow* record = GetWindowForKind(kTrackWindowKind);
  ASSERT_TRUE(IsAppWindowVisible(record));
  PostOpenThenQuit("smf/tempo_track_notes.mid");
  ASSERT_TRUE(RunUntilQuit());
  ASSERT_EQ(2, GetSongTrackCount());
  // Drawn by the update the open asked for, without forcing one here.
  RowInk ink = ReadRowInk(2);
  EXPECT_GT(ink.bands[0], 0);
  EXPECT_GT(ink.bands[1], 0);
  EXPECT_EQ(0, ink.below);
  QuitApplication(0);
}

TEST_F(TrackWindowTest, RowsFollowTheScrollValueAndTheRowHeight) {
  StartUpApplication(40);
  PostOpenThenQuit("smf/tempo_track_notes.mid");
  ASSERT_TRUE(RunUntilQuit());
  ASSERT_EQ(2, GetSongTrackCount());
  AppWindow* record = GetWindowForKind(kTrackWindowKind);
  WindowRef window = GetAppWindowRef(record);

  // The window's own scroll bar, made at start-up.
  ASSERT_EQ(record->vScrollBar, gTrackVScroll);
  SetWindowScrollValue(record, gTrackVScroll, false, 1);
  ASSERT_EQ(1, GetTrackWindowVScroll());
  DrawWindowContent(window, kTrackWindowKind);
  RowInk scrolled = ReadRowInk(1);
  EXPECT_GT(scrolled.bands[0], 0);
  EXPECT_EQ(0, scrolled.below);
  // Scrolled past every track: the list is blank.
  SetWindowScrollValue(record, gTrackVScroll, false, 2);
  ASSERT_EQ(2, GetTrackWindowVScroll());
  DrawWindowContent(window, kTrackWindowKind);
  EXPECT_EQ(0, ReadRowInk(0).below);

  SetWindowScrollValue(record, gTrackVScroll, false, 0);
  DisposeAllEventIndexes();
  ChangeTrackRowHeight(int16_t(gTrackRowHeight * 2));
  int32_t indexes = 0;
  for (Handle index : gEventIndexes) indexes += index ? 1 : 0;
  EXPECT_EQ(2, indexes) << "each track's index is built again for the new rows";
  DrawWindowContent(window, kTrackWindowKind);
  RowInk tall = ReadRowInk(2);
  EXPECT_GT(tall.bands[0], 0);
  EXPECT_GT(tall.bands[1], 0);
  EXPECT_EQ(0, tall.below);
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
