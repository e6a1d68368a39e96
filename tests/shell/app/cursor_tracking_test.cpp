// The cursor pass of the started program (headless, with its own resources): what counts as a
// change of the mouse, which cursor codes reach the screen for which appearance version and
// window, the editor tools' cursors in the audio view, and a pass over the main editor.
#include <gtest/gtest.h>

#include <cstring>

#include "editors/note_entry/editor_clicks.h"
#include "editors/timeline/click_state.h"
#include "platform/quickdraw/cursors.h"
#include "platform/system/quickdraw_random.h"
#include "platform/windows/windows.h"
#include "shell/app/cursor_tracking.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/event_records.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

class CursorTrackingTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    gLastMouseEvent = EventRecord{};
    gMousePitch = 0;
    savedVersion_ = gAppearanceVersion;
  }
  void TearDown() override {
    gAppearanceVersion = savedVersion_;
    gAppState[4] &= uint16_t(~kAppWord4MenuTracking);
    gHandDragSetting = 0;
    QuitApplication(0);
    AppTest::TearDown();
  }
  static Cursor Current() {
    Cursor c{};
    GetCurrentCursor(&c);
    return c;
  }
  static bool Same(const Cursor& a, const Cursor& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
  static Cursor Resource(int16_t id) {
    Cursor c{};
    EXPECT_TRUE(CursorFromHandle(GetCursor(id), &c)) << id;
    return c;
  }
  uint32_t savedVersion_ = 0;
};

TEST_F(CursorTrackingTest, OnlyPositionModifiersOrContentsCountAsAChange) {
  gLastEvent = EventRecord{nullEvent, 0, 100, Point{50, 60}, 0};
  uint8_t moved = 9;
  EXPECT_TRUE(TakeMouseStateChange(&moved));
  struct Case { EventRecord e; int32_t pitch; bool changed; uint8_t moved; };
  const Case cases[] = {
      {{nullEvent, 0, 200, {50, 60}, 0}, 0, false, 0},         // a new time stamp only
      {{nullEvent, 0, 300, {51, 60}, 0}, 0, true, 1},          // moved
      {{nullEvent, 0, 300, {51, 60}, shiftKey}, 0, true, 1},   // a modifier
      {{nullEvent, 7, 300, {51, 60}, shiftKey}, 0, true, 0},   // another message, same place
      {{nullEvent, 7, 400, {51, 60}, shiftKey}, -1, false, 1},  // a negative pitch counts as moved
  };
  for (const Case& c : cases) {
    gLastEvent = c.e;
    gMousePitch = c.pitch;
    moved = 9;
    EXPECT_EQ(c.changed, TakeMouseStateChange(&moved)) << c.e.when;
    EXPECT_EQ(c.moved, moved) << c.e.when;
  }
  gAppState[4] |= kAppWord4MenuTracking;
  gLastEvent.where.h = 300;
  moved = 9;
  EXPECT_FALSE(TakeMouseStateChange(&moved));
  EXPECT_EQ(9, moved) << "left as the caller set it";
}

// Theme cursors need an appearance above 0x10F; 'CURS' cursors and the arrow always apply;
// over a plug-in editor window (item 20 and up) the arrow leaves the cursor, over a window
// without a Windows-menu item nothing is touched.
TEST_F(CursorTrackingTest, CursorCodesReachTheScreenByAppearanceAndWindow) {
  struct Case { uint32_t version; int16_t code; int16_t item; int16_t expected; };  // -1: unchanged
  const Case cases[] = {
      {0x10F, 4, 3, -1}, {0x10F, 17, 3, -1}, {0x10F, 503, 3, 503}, {0x10F, 0, 3, 0},
      {0x110, 4, 3, 4},  {0x110, 0, 20, -1}, {0x110, 509, 0, -1},  {0x110, 1053, 21, 1053},
  };
  for (const Case& c : cases) {
    gAppearanceVersion = c.version;
    SetCursorResource(502);
    Cursor before = Current();
    ApplyCursorCode(c.code, c.item);
    Cursor expected = before;
    if (c.expected == 0) expected = qd.arrow;
    if (c.expected == 4) {
      SetThemeCursor(kThemeIBeamCursor);
      expected = Current();
      SetCursor(&before);
      ApplyCursorCode(c.code, c.item);
    }
    if (c.expected > 17) expected = Resource(c.expected);
    EXPECT_TRUE(Same(expected, Current())) << std::hex << c.version << std::dec << " " << c.code << " " << c.item;
  }
  EXPECT_FALSE(Same(Resource(502), Resource(503)));
}

// In the audio view with step input allowed the region cursor comes first, and the pencil,
// audition, rectangle, velocity and paint tools give the arrow; the bar tool keeps 'CURS' 506.
TEST_F(CursorTrackingTest, ToolCursorsInTheAudioView) {
  ASSERT_TRUE(gCurrentSong);
  uint8_t keptMode = gCurrentSong[kSongMode];
  int16_t keptView = gCurrentViewMode;
  struct Case { uint8_t songMode; int16_t view; int16_t tool; int16_t cursor; };
  const Case cases[] = {
      {1, 9, 5, 506}, {1, 9, 6, 0}, {1, 9, 1, 0}, {3, 9, 1, 0}, {1, 9, 0, 0},
      {0, 9, 6, 1053}, {0, 9, 1, 502}, {1, 3, 6, 1053}, {0, 3, 7, 0},
  };
  for (const Case& c : cases) {
    gCurrentSong[kSongMode] = c.songMode;
    gCurrentViewMode = c.view;
    EXPECT_EQ(c.cursor, GetEditorToolCursor(c.tool)) << int(c.songMode) << " " << c.view << " " << c.tool;
  }
  gCurrentSong[kSongMode] = keptMode;
  gCurrentViewMode = keptView;
}

// The open hand over the time selection of a selected pane while hand dragging is on (with
// Control down the Option key decides).
TEST_F(CursorTrackingTest, TheOpenHandOverTheSelection) {
  SetTimeRange(1, 100000);
  gCurrentPaneIndex = 0;
  gPaneVisitMask = 1;
  struct Case { uint8_t setting; EventModifiers keys; uint32_t mask; int16_t cursor; };
  const Case cases[] = {
      {1, 0, 1, 9}, {0, 0, 1, 2}, {1, controlKey, 1, 2}, {0, controlKey | optionKey, 1, 9}, {1, 0, 0, 2},
  };
  for (const Case& c : cases) {
    gHandDragSetting = c.setting;
    gLastEvent.modifiers = c.keys;
    gPaneVisitMask = c.mask;
    EXPECT_EQ(c.cursor, GetSelectionHandCursor(2)) << int(c.setting) << " " << c.keys << " " << c.mask;
  }
  gPaneVisitMask = 0;
}

// Over a note view pane of the main editor with the pencil, the pass shows the crosshair and
// takes the time and pitch under the mouse; the same event again with a new time stamp is no
// change and leaves the cursor.
TEST_F(CursorTrackingTest, APassOverTheMainEditorShowsTheToolsCursor) {
  WindowRef window = GetAppWindowRef(&gMainEditorRecord);
  ASSERT_TRUE(window && IsWindowVisible(window));
  ASSERT_GE(gEditorPaneCount, 1);
  SelectWindow(window);
  gEditorPanes[0].viewMode = kNoteViewMode;
  gNoteTool = kPencilTool;
  Rect pane, content;
  GetPaneContentRect(0, &pane);
  GetWindowBounds(window, kWindowContentRgn, &content);
  Point global{int16_t(content.top + (pane.top + pane.bottom) / 2), int16_t(content.left + pane.right - 60)};
  gLastEvent = EventRecord{nullEvent, 0, 1000, global, 0};
  gMousePitch = -1;
  gMouseTick = 1;
  SetCursorResource(0);
  WindowRef under = nullptr;
  EXPECT_EQ(0, AdjustCursorForWindow(false, &under));
  EXPECT_EQ(window, under);
  EXPECT_EQ(502, GetCursorResourceId());
  EXPECT_TRUE(Same(Resource(502), Current()));
  EXPECT_GT(gMouseTick, 1);
  EXPECT_GE(gMousePitch, 0);
  EXPECT_LE(gMousePitch, 127);
  SetCursorResource(0);
  gLastEvent.when = 2000;
  EXPECT_EQ(1, AdjustCursorForWindow(false, nullptr));
  EXPECT_EQ(0, GetCursorResourceId());
  gNoteTool = kArrowTool;
}

// With the notepad in front its text area shows the I-beam; outside it the arrow.
TEST_F(CursorTrackingTest, TheNotepadShowsTheIBeamOverItsText) {
  WindowRef notepad = GetAppWindowRef(GetWindowForKind(kNotepadKind));
  ASSERT_TRUE(notepad);
  ShowWindow(notepad);
  SelectWindow(notepad);
  ASSERT_EQ(kNotepadKind, GetFrontAppWindow()->kind);
  gAppearanceVersion = 0x110;
  SetThemeCursor(kThemeIBeamCursor);
  Cursor ibeam = Current();
  Rect content{};
  GetWindowBounds(notepad, kWindowContentRgn, &content);
  struct Case { Point global; bool ibeam; };
  const Case cases[] = {{{int16_t(content.top + 40), int16_t(content.left + 50)}, true},
                        {{int16_t(content.top - 8), int16_t(content.left + 50)}, false}};
  UInt32 when = 1000;
  for (const Case& c : cases) {
    SetCursorResource(502);
    gLastEvent = EventRecord{nullEvent, 0, when++, c.global, 0};
    AdjustCursorForWindow(false, nullptr);
    EXPECT_EQ(c.ibeam, Same(ibeam, Current())) << c.global.v;
  }
}

}  // namespace
}  // namespace app_test
