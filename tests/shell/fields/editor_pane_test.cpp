// The editor pane table: its bound, selection, and the layout of the panes' scroll bars.
#include <cstring>

#include "editors/panes/pane_headers.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/controls/controls.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_sizing.h"
#include "platform/memory/memory.h"
#include "song/model/song_bodies.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "tests/shell/fields/fields_fixture.h"

namespace fields_test {
namespace {

class EditorPaneTest : public FieldsTest {
 protected:
  void SetUp() override {
    FieldsTest::SetUp();
    gPaneSlots = PaneSlotInfo();
    gStandardLineHeight = 12;
    gTrackRowHeight = 16;
    gPaneTopMargin = 40;
    CreatePlaceholderAppWindow(&slot_, &gMainEditorRecord, kMainEditorWindowKind, "Editor",
                               Rect{60, 20, 660, 820});
    ASSERT_NE(gMainEditorRecord.window, nullptr);
  }
  Rect BarBounds(int k) {
    Rect r{};
    GetControlBounds(gEditorPanes[k].scrollBar, &r);
    return r;
  }
  AppWindow* slot_ = nullptr;
};

TEST_F(EditorPaneTest, TheTableHoldsSixteenPanesAndRefusesMore) {
  for (int i = 0; i < kMaxEditorPanes; ++i) ASSERT_EQ(CreateEditorPane(int16_t(40 + i), false, uint8_t(i)), noErr);
  EXPECT_EQ(CreateEditorPane(100, true, 3), memFullErr);
  EXPECT_FALSE(AddEditorPane(gEditorPanes[0].scrollBar, 100, 3));
  EXPECT_EQ(gEditorPaneCount, kMaxEditorPanes);
  EXPECT_EQ(gCurrentPaneIndex, kMaxEditorPanes - 1);
  SetLastPaneBottom(500);  // the end marker lies behind the last pane
  EXPECT_EQ(gEditorPanes[kMaxEditorPanes].top, 500);
  EXPECT_EQ(GetPaneBottom(kMaxEditorPanes - 1), 500 - gStandardLineHeight - 4);
  EXPECT_EQ(gEditorPanes[kMaxEditorPanes - 1].track, kMaxEditorPanes - 1);
}

TEST_F(EditorPaneTest, SelectionIsClampedToThePanesThatExist) {
  SelectEditorPaneIndex(5);  // no panes: nothing happens
  EXPECT_EQ(gCurrentPaneIndex, 0);
  EXPECT_EQ(GetCurrentPaneTrack(), -1);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(CreateEditorPane(int16_t(100 * (i + 1)), false, uint8_t(10 + i)), noErr);
  SelectEditorPaneIndex(20);
  EXPECT_EQ(gCurrentPaneIndex, 2);
  SelectEditorPaneIndex(-4);
  EXPECT_EQ(gCurrentPaneIndex, 0);
  SelectEditorPane(1);
  EXPECT_EQ(GetCurrentPaneTrack(), 11);
  EXPECT_EQ(gCurrentPaneTop, 200);
}

TEST_F(EditorPaneTest, PaneKindsChooseTheSlotAndViewMode) {
  ASSERT_EQ(CreateEditorPane(100, false, 0), noErr);
  gPaneSlots.masterSlot = 20;
  struct { int8_t kind; uint8_t mode; bool master; int16_t slot, viewMode; } cases[] = {
      {1, 3, true, 0, kSpecialViewMode},
      {2, 3, true, int16_t(gPaneSlots.masterSlot + 1), kMasterViewMode},
      {7, 4, true, 2, 4},
      {int8_t(gPaneSlots.masterSlot + 1 + 5), 4, false, int16_t(gPaneSlots.masterSlot + 1), kMasterViewMode},
      {0, 6, true, 0, 6},
  };
  for (auto c : cases) {
    gEditorPanes[0].kind = c.kind;
    gEditorPanes[0].viewMode = c.mode;
    gPaneSlots.masterChainPresent = c.master;
    SelectEditorPaneIndex(0);
    EXPECT_EQ(gCurrentPaneSlot, c.slot) << int(c.kind);
    EXPECT_EQ(gCurrentViewMode, c.viewMode) << int(c.kind);
  }
}

TEST_F(EditorPaneTest, LayoutPlacesScrollBarsAndCutsHeightsOf46And47) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(CreateEditorPane(int16_t(100), false, uint8_t(i)), noErr);
  struct { int gap, height; } cases[] = {{46, 45}, {47, 45}, {48, 48}, {45, 45}, {60, 60}};
  for (auto c : cases) {
    gEditorPanes[1].top = 200;
    gEditorPanes[2].top = uint16_t(200 + c.gap);
    LayoutEditorPanes();
    Rect bar = BarBounds(1);
    EXPECT_EQ(bar.bottom - bar.top, c.height) << c.gap;
    EXPECT_EQ(bar.right - bar.left, kPaneScrollBarWidth);
    EXPECT_TRUE(IsControlVisible(gEditorPanes[1].scrollBar));
  }
  gEditorPanes[1].flags |= kPaneHidden;
  LayoutEditorPanes();
  EXPECT_FALSE(IsControlVisible(gEditorPanes[1].scrollBar));
  // The last pane reaches the bottom limit.
  Rect window{};
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  EXPECT_EQ(BarBounds(2).bottom, window.bottom - 15);
}

TEST_F(EditorPaneTest, AWindowTallerThanThePanesNeedIsShrunk) {
  gTrackRowHeight = 16;
  ASSERT_EQ(CreateEditorPane(100, false, 0), noErr);
  int32_t wanted = GetEditorLayoutHeight();
  EXPECT_EQ(wanted, 16 * 1 * 11 + gPaneTopMargin + 19);
  EnsureEditorFitsPanes();
  Rect r{};
  GetWindowPortBounds(gMainEditorRecord.window, &r);
  EXPECT_EQ(r.bottom - r.top, wanted);
  EXPECT_EQ(r.right - r.left, 800);
  gTrackRowHeight = 100;  // a window shorter than the layout keeps its size
  EnsureEditorFitsPanes();
  GetWindowPortBounds(gMainEditorRecord.window, &r);
  EXPECT_EQ(r.bottom - r.top, wanted);
}

TEST_F(EditorPaneTest, APaneScrollsToItsTracksCentreRowAndTakesItsViewOrigin) {
  ResetSongDatabase();
  SelectTrackNumber(0);
  ASSERT_TRUE(HasValidCurrentTrack());
  ASSERT_EQ(CreateEditorPane(100, false, 0), noErr);
  ControlRef bar = gEditorPanes[0].scrollBar;
  SetControlMaximum(bar, 120);
  struct { uint8_t centre; uint8_t songMode; int16_t value; } cases[] = {
      {40, 0, 40}, {255, 0, 60}, {128, 0, 60}, {127, 0, 120},  // above the range: clamped by the bar
      {127, 1, 7},  // song mode 1: a row past the maximum leaves the bar where it was
  };
  for (auto c : cases) {
    SetControlValue(bar, 7);
    gCurrentTrack[kTrackScrollByte] = c.centre;
    SongHeaderView(gCurrentSong).SetSongMode(c.songMode);
    ScrollPaneToTrackCentre();
    EXPECT_EQ(GetControlValue(bar), c.value) << int(c.centre) << " mode " << int(c.songMode);
  }
  SongHeaderView(gCurrentSong).SetSongMode(0);
  SetControlValue(bar, 24);
  gOctaveHeight = 38;
  UpdatePaneViewOrigin();
  EXPECT_EQ(gPaneNoteOffset, 24 * 38 / 12);
  EXPECT_EQ(gPaneViewOrigin, gEditorPanes[0].top - gPaneNoteOffset);
  EXPECT_EQ(gPaneViewBottom, gPaneViewOrigin + 38);
}

TEST_F(EditorPaneTest, DraggingADividerMovesThePaneButNotAboveThePreviousOne) {
  for (int i = 0; i < 2; ++i) ASSERT_EQ(CreateEditorPane(100, false, uint8_t(i)), noErr);
  gEditorPanes[1].top = 300;
  LayoutEditorPanes();
  ASSERT_EQ(gEditorPanes[1].top, 300);
  EXPECT_FALSE(DragPaneDivider(0, Point{290, 200}));  // the first pane has no divider above it
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPortWindowPort(gMainEditorRecord.window);
  Point start{290, 200};  // inside the second pane's header strip
  Point global = start;
  LocalToGlobal(&global);
  SetPort(saved);
  // Down 40; not at all; up to the window's top, held at the first pane's divider; released
  // outside the window.
  struct { int dv; int top; bool moved; } cases[] = {
      {40, 340, true}, {0, 340, false}, {-325, 56 + 10, true}, {-500, 66, false}};
  for (auto c : cases) {
    int before = gEditorPanes[1].top;
    Point from{SInt16(before - 10), 200};
    Point g{SInt16(global.v + (before - 10 - start.v)), global.h};
    PressAt(g);
    RunScript({Move(At(g.v + c.dv / 2, g.h)), Move(At(g.v + c.dv, g.h)), Hold(2), Up(At(g.v + c.dv, g.h))});
    SetPortWindowPort(gMainEditorRecord.window);
    EXPECT_EQ(DragPaneDivider(1, from), c.moved) << c.dv;
    SetPort(saved);
    EXPECT_EQ(gEditorPanes[1].top, c.top) << c.dv;
    EXPECT_GE(gEditorPanes[1].top, gEditorPanes[0].top) << c.dv;
  }
}

// A new song's stored pane table keeps one cleared pane showing the current lane; what lies
// past the first record, and a table too short for one, are left alone.
TEST_F(EditorPaneTest, ResettingTheSongPaneTableKeepsOnePaneOnTheCurrentLane) {
  ResetSongDatabase();
  ASSERT_NE(gCurrentSong, nullptr);
  ASSERT_EQ(CreateEditorPane(100, false, 0), noErr);
  gEditorPanes[0].display = 3;
  gEditorPanes[0].lane = 2;
  gCurrentLaneNumber = 7;
  struct Case {
    Size size;
    bool reset;
  } cases[] = {{kSongPaneTableSize, true}, {kPaneSize, true}, {kPaneSize - 1, false}};
  Handle kept = SongHeaderView(gCurrentSong).WindowTable();
  for (const Case& c : cases) {
    Handle table = NewHandle(c.size);
    std::memset(HandleData(table), 0xAB, size_t(c.size));
    SongHeaderView(gCurrentSong).SetWindowTable(table);
    ResetSongPaneTable();
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(table));
    for (Size i = 0; i < c.size; ++i) {
      uint8_t expected = !c.reset || i >= kPaneSize ? 0xAB : i == kStoredPaneCountByte ? 1 : i == kStoredPaneLane + 1 ? 7 : 0;
      ASSERT_EQ(p[i], expected) << "byte " << i << " of a table of " << c.size;
    }
    SongHeaderView(gCurrentSong).SetWindowTable(kept);
    DisposeHandle(table);
  }
  EXPECT_EQ(gEditorPanes[0].lane, 7);
  EXPECT_EQ(gEditorPanes[0].display, 255);
  gCurrentLaneNumber = 0;
}

}  // namespace
}  // namespace fields_test
