// A pane's scroll bar: rows by the arrows and octaves by the page parts within the bar's range,
// the value kept in the track, and the pane drawn again at its new rows.
#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_scrolling.h"
#include "platform/controls/controls.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/timeline_axis.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

using PaneScrollingTest = PaneDrawingTest;

TEST_F(PaneScrollingTest, ArrowsMoveARowPagesAnOctaveWithinTheRange) {
  AddTrack(0, NoteRecords({}));
  AddPane(0, 48);
  ControlRef bar = gEditorPanes[0].scrollBar;
  struct Step {
    ControlPartCode part;
    int16_t expected;
  };
  const Step steps[] = {
      {kControlDownButtonPart, 49}, {kControlPageDownPart, 61}, {kControlUpButtonPart, 60},
      {kControlPageUpPart, 48},     {kControlButtonPart, 48},   // not a scroll part
  };
  for (const Step& s : steps) {
    ScrollVerticalAction(bar, s.part);
    EXPECT_EQ(GetControlValue(bar), s.expected) << s.part;
    EXPECT_EQ(gCurrentTrack[kTrackScrollByte], s.expected) << s.part;
  }
  SetControlValue(bar, 0);
  ScrollVerticalAction(bar, kControlUpButtonPart);
  ScrollVerticalAction(bar, kControlPageUpPart);
  EXPECT_EQ(GetControlValue(bar), 0);
  SetControlValue(bar, int16_t(kPaneScrollMaximum - 5));
  ScrollVerticalAction(bar, kControlPageDownPart);
  EXPECT_EQ(GetControlValue(bar), kPaneScrollMaximum);  // held at the maximum
  ScrollVerticalAction(bar, kControlDownButtonPart);
  EXPECT_EQ(GetControlValue(bar), kPaneScrollMaximum);
}

TEST_F(PaneScrollingTest, ThePaneIsDrawnAgainAtItsNewRows) {
  Note n{401, 60, 400, 3};
  AddTrack(0, NoteRecords({n}));
  AddPane(0, 60);
  ControlRef bar = gEditorPanes[0].scrollBar;
  ShowWindow(gMainEditorRecord.window);
  InstallPaneScrollActions();
  EXPECT_EQ(GetControlAction(bar), &ScrollVerticalAction);
  ScrollVerticalAction(bar, kControlPageDownPart);  // drawn into the window
  ASSERT_EQ(GetControlValue(bar), 72);
  Rect r = ExpectedNoteRect(n, 0);
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(GetWindowPort(gMainEditorRecord.window));
  RGBColor c;
  GetCPixel(short((r.left + r.right) / 2), short((r.top + r.bottom) / 2), &c);
  SetPort(saved);
  EXPECT_EQ(PixelFromRGB(c) & 0xFFFFFF, Rgb(gChannelColors[n.channel]));
}

TEST_F(PaneScrollingTest, ARedrawnPaneShowsTheSongEndTwoPixelsRightOfIt) {
  AddTrack(0, NoteRecords({}));
  AddPane(0, 48);
  ShowWindow(gMainEditorRecord.window);
  HideBarAndGridLines();
  gNoteRowStyle = 0;
  for (int16_t zoom : {2, 3, 5}) {
    gZoomLevel = zoom;
    SongHeaderView(gCurrentSong).SetEndTick(1 + 3 * 97 * 4);  // three bars of 4/4 at 97
    RedrawOnePane();
    Rect pane;
    GetPaneContentRect(0, &pane);
    int32_t x = gTimelineFrame.originX + ((3 * 97 * 4) >> zoom) + 2;
    GrafPtr saved = nullptr;
    GetPort(&saved);
    SetPort(GetWindowPort(gMainEditorRecord.window));
    RGBColor line, beside;
    GetCPixel(short(x), short(pane.top + 30), &line);
    GetCPixel(short(x - 1), short(pane.top + 30), &beside);
    SetPort(saved);
    EXPECT_EQ(PixelFromRGB(line) & 0xFFFFFF, 0u) << zoom;
    EXPECT_NE(PixelFromRGB(beside) & 0xFFFFFF, 0u) << zoom;
  }
}

}  // namespace
}  // namespace editors_test
