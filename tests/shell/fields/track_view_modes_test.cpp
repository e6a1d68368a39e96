// The editor's rows as views of tracks: the rows marked for the selected tracks follow every
// selection change, the view mode a track remembers, drum views without drum data, the lane a
// mode shows, the current row following the current track, and the track window's scroll bar
// in bars.
#include "platform/memory/memory.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/counter_display.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/redraw_requests.h"
#include "shell/windows/track_view_modes.h"
#include "shell/windows/track_window_scroll.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/track_time_formats.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/redraw_hooks.h"
#include "song/model/songs.h"
#include "song/model/track_length.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "tests/shell/fields/fields_fixture.h"

namespace fields_test {
namespace {

class TrackViewModesTest : public FieldsTest {
 protected:
  void SetUp() override {
    FieldsTest::SetUp();
    InstallRedrawHooks();
    CreatePlaceholderAppWindow(&slot_, &gMainEditorRecord, kMainEditorWindowKind, "Editor",
                               Rect{60, 20, 660, 820});
    ResetSongDatabase();
    ASSERT_EQ(noErr, CreateSongTracks(12, 1));
    RebuildTrackNumberMap();
    SaveTrackSelection(savedSelection_);
    // Rows: track 2, track 5 twice, track 9, and the plug-in view of instrument slot 0.
    const uint8_t tracks[] = {2, 5, 5, 9, 0};
    for (int k = 0; k < 5; ++k) ASSERT_EQ(noErr, CreateEditorPane(int16_t(100 + 60 * k), false, tracks[k]));
    gEditorPanes[4].kind = kPaneKindPluginBase;
    gEditorPanes[4].viewMode = 6;
    gEditorPanes[1].viewMode = 3;
    SelectEditorPaneIndex(0);
  }
  void TearDown() override {
    ClearEditorPanes();
    RestoreTrackSelection(savedSelection_);
    FieldsTest::TearDown();
  }
  void MakeCurrent(int number) { SelectTrackNumber(number); }
  AppWindow* slot_ = nullptr;
  uint8_t savedSelection_[kTrackSelectionBytes] = {};
};

TEST_F(TrackViewModesTest, TheRowsOfSelectedTracksFollowEverySelectionChange) {
  uint32_t editor = gRedrawRequests[kMainEditorWindowKind];
  uint32_t tracks = gRedrawRequests[kTrackWindowKind];
  struct Case {
    void (*change)();
    uint32_t rows;
  } cases[] = {
      {[] { SelectTrackSlotRange(4, 9); }, 0x0E},  // tracks 5, 5, 9; never the plug-in row
      {[] { ToggleTrackSlot(gTrackSelection, 9); }, 0x06},
      {[] { ToggleTrackSlot(gTrackSelection, 2); }, 0x07},
      {[] { SelectTrackRangeWith(0, 3, false); }, 0x01},
      {[] { SelectAllTracks(); }, 0x0F},
      {[] { SelectTrackSlotRange(48, 60); }, 0x00},
  };
  for (const Case& c : cases) {
    c.change();
    EXPECT_EQ(c.rows, gSelectedRowMask);
  }
  EXPECT_GE(gRedrawRequests[kMainEditorWindowKind], editor + 6);
  EXPECT_GE(gRedrawRequests[kTrackWindowKind], tracks + 6);
}

TEST_F(TrackViewModesTest, ATrackRemembersTheModeOfItsOnlyRow) {
  struct Case {
    int track;
    uint8_t mode;
    bool when;
    uint8_t kept;
  } cases[] = {
      {9, 4, true, 4},    // one row shows track 9
      {9, 8, true, 4},    // the special view is never remembered
      {9, 15, true, 4},   // nor the master view
      {9, 6, false, 4},   // not asked
      {5, 7, true, 0},    // two rows show track 5
      {11, 7, true, 0},   // no row shows track 11
  };
  for (const Case& c : cases) {
    MakeCurrent(c.track);
    RememberTrackViewMode(c.mode, c.when);
    EXPECT_EQ(c.kept, gCurrentTrack[kTrackViewMode]) << c.track << " mode " << int(c.mode);
  }
  int16_t all, drum, note;
  MakeCurrent(5);
  CountRowsShowingTrack(&all, &drum, &note);
  EXPECT_EQ(2, all);
  EXPECT_EQ(0, drum);
  EXPECT_EQ(1, note);
  EXPECT_EQ(6, GetRowViewModeForSlot(0));
  EXPECT_EQ(kNoRowViewMode, GetRowViewModeForSlot(3));
}

TEST_F(TrackViewModesTest, DrumViewsNeedDrumDataAndLanesCountFromModeTwo) {
  MakeCurrent(2);
  ApplyViewMode(kRowViewMode);  // no drum data: the note view
  EXPECT_EQ(kNoteViewMode, gEditorPanes[0].viewMode);
  Handle drums = NewHandleClear(8);
  TrackEntryView(gCurrentTrack).SetDrumData(drums);
  ApplyViewMode(kRowViewMode2);
  EXPECT_EQ(kRowViewMode2, gEditorPanes[0].viewMode);
  EXPECT_EQ(kRowViewMode2, gCurrentTrack[kTrackViewMode]);
  EXPECT_TRUE(IsNoteOrDrumView());
  TrackEntryView(gCurrentTrack).SetDrumData(Handle());
  DisposeHandle(drums);

  const int16_t lanes[][2] = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {7, 5}, {14, 12}, {16, 0}};
  for (const auto& l : lanes) {
    gCurrentViewMode = l[0];
    EXPECT_EQ(l[1], GetLaneViewIndex()) << "mode " << l[0];
  }
}

TEST_F(TrackViewModesTest, AnAudioTrackShowsItsWaveformForTheModesBelowTheSpecialView) {
  MakeCurrent(2);
  gCurrentTrack[kTrackOutputKind] = kAudioTrackOutputKind;
  const uint8_t cases[][2] = {{kNoteViewMode, 9}, {kRowViewMode, 9}, {4, 9}, {7, 9}, {kSpecialViewMode, 8}, {10, 10}};
  for (const auto& c : cases) {
    ApplyViewMode(c[0]);
    EXPECT_EQ(c[1], gEditorPanes[0].viewMode) << "mode " << int(c[0]);
  }
  gCurrentTrack[kTrackOutputKind] = 0;  // a MIDI track keeps the note view
  ApplyViewMode(kNoteViewMode);
  EXPECT_EQ(kNoteViewMode, gEditorPanes[0].viewMode);
}

TEST_F(TrackViewModesTest, TheCurrentRowFollowsTheCurrentTrack) {
  MakeCurrent(9);
  SyncEditorPaneSelection();
  EXPECT_EQ(3, gCurrentPaneIndex);
  MakeCurrent(11);  // no row shows it: the current row stays
  SyncEditorPaneSelection();
  EXPECT_EQ(3, gCurrentPaneIndex);
  int16_t index = -1;
  EXPECT_TRUE(FindRowForTrack(5, &index));
  EXPECT_EQ(1, index);
  EXPECT_FALSE(FindRowForTrack(0, &index));  // only the plug-in view has track 0
}

TEST_F(TrackViewModesTest, ARowRefreshMakesTheTrackCurrentAndGivesItsRowsItsModeOnlyWithRelayout) {
  for (bool relayout : {false, true}) {
    SCOPED_TRACE(relayout);
    MakeCurrent(5);
    gCurrentTrack[kTrackViewMode] = 3;
    gEditorPanes[1].viewMode = gEditorPanes[2].viewMode = 0;
    MakeCurrent(2);
    RefreshTrackListRow(5, true, relayout);
    EXPECT_EQ(5, gCurrentTrack[kTrackNumber]);
    EXPECT_EQ(relayout ? 3 : 0, gEditorPanes[1].viewMode);
    EXPECT_EQ(relayout ? 3 : 0, gEditorPanes[2].viewMode);
    EXPECT_EQ(0, gEditorPanes[0].viewMode);  // the row of track 2 keeps its mode
  }
}

}  // namespace
}  // namespace fields_test

namespace fields_test {
namespace {

class TrackWindowScrollTest : public FieldsTest {
 protected:
  void SetUp() override {
    FieldsTest::SetUp();
    ResetSongDatabase();
    EXPECT_EQ(1, GetTrackWindowScrollTick());  // no window yet
    CreatePlaceholderAppWindow(&slot_, &gTrackWindowRecord, kTrackWindowKind, "Tracks",
                               Rect{60, 20, 460, 620});
    Rect bounds{384, 0, 400, 584};
    gTrackWindowRecord.hScrollBar =
        NewControl(gTrackWindowRecord.window, &bounds, nullptr, true, 0, 0, 40, 16, 0);
    ASSERT_NE(gTrackWindowRecord.hScrollBar, nullptr);
    gViewOriginTick = 1;
    gViewOriginValue = 0;
  }
  void TearDown() override {
    gTrackWindowRecord.hScrollBar = nullptr;
    gViewOriginTick = 1;
    gViewOriginValue = 0;
    FieldsTest::TearDown();
  }
  AppWindow* slot_ = nullptr;
};

TEST_F(TrackWindowScrollTest, TheScrollBarCountsBarsWithinItsRange) {
  struct Case {
    int16_t delta, value;
  } cases[] = {{3, 3}, {-1, 2}, {-10, 0}, {100, 40}, {0, 40}};
  for (const Case& c : cases) {
    SetTrackWindowScroll(c.delta);
    EXPECT_EQ(c.value, GetControlValue(gTrackWindowRecord.hScrollBar));
    int32_t tick = GetTrackWindowScrollTick();
    EXPECT_EQ(c.value == 0 ? 1 : BarToTick(c.value), tick);
    EXPECT_EQ(tick, gViewOriginTick);  // that bar is at the window's left edge
  }
  SetTrackWindowScroll(-40);
  EXPECT_EQ(1, GetTrackWindowScrollTick());
}

TEST_F(TrackWindowScrollTest, AChangedSongEndSetsTheBarRangeKeepsTheValueInsideAndRedrawsTheCounters) {
  InstallRedrawHooks();
  ControlRef bar = gTrackWindowRecord.hScrollBar;
  SetTrackWindowScroll(30);
  ASSERT_EQ(30, GetControlValue(bar));
  struct Case {
    uint32_t end;
    int16_t value;  // where the bar stands after
  } cases[] = {{uint32_t(BarToTick(60)), 30}, {uint32_t(BarToTick(12)) + 1, 0}, {0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.end);
    gCounterShownPosition = 1234;
    SetSongEndTick(c.end);
    int16_t bars = c.end ? int16_t(TickToBarRoundedUp(int32_t(c.end))) : 0;
    EXPECT_EQ(bars, GetControlMaximum(bar));
    EXPECT_EQ(c.value ? c.value : bars, GetControlValue(bar));
    EXPECT_EQ(c.end > 0 && IsWindowActive(gTrackWindowRecord.window), bool(IsControlActive(bar)));
    EXPECT_EQ(kCounterPositionUnshown, gCounterShownPosition);
  }
  gRedrawHooks = RedrawHooks{};
}

}  // namespace
}  // namespace fields_test
