// The main editor window draws the current track's notes in its pane once a song is open.
#include "editors/note_drawing/note_boxes.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/apple_events.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/quickdraw/screen.h"
#include "platform/windows/windows.h"
#include "shell/app/app_events.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/model/songs.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

using MainEditorTest = AppTest;

TEST_F(MainEditorTest, OpeningAMidiFileDrawsTheTrackNotesInThePane) {
  StartUpApplication(40);
  ASSERT_EQ(noErr, PostOpenDocumentsEventForPaths({zarin_test::FixturePath("smf/format1_single.mid")}));
  PostQuitAppleEvent();
  ASSERT_TRUE(RunUntilQuit());
  ASSERT_GE(GetSongTrackCount(), 1);
  ASSERT_GE(gEditorPaneCount, 1);
  WindowRef window = GetAppWindowRef(&gMainEditorRecord);
  ASSERT_NE(window, nullptr);
  Rect pane;
  GetPaneContentRect(0, &pane);
  pane.left = gTimelineFrame.originX;
  // One note (pitch 48 on channel 0, a quarter long from the first tick): drawn by the
  // update the open asked for, in the channel's colour on a colour screen, black otherwise.
  uint32_t ink = IsColourScreen() ? (PixelFromRGB(gChannelColors[0]) & 0xFFFFFF) : 0;
  int drawn = ui_test::CountPortColor(window, pane, ink);
  int quarter = (480 >> gZoomLevel) * gNoteMetric;
  EXPECT_GE(drawn, quarter / 2);
  EXPECT_LE(drawn, quarter + 2 * gNoteMetric + 64);
  if (getenv("DBG_PNG")) SavePortToPNG(GetWindowPort(window), "/tmp/s13/i1_editor.png");
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
