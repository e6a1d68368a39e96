// The view modes of the editor's panes: the modes each kind of track and instrument row may
// take, the switches that fall back (drums without a drum map), the drum column's width, the
// pop-up's lists, removing a pane and the layout in which one pane fills the window.
#include <vector>

#include "editors/lanes/lane_controllers.h"
#include "editors/panes/drum_list_width.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/views/view_modes.h"
#include "platform/memory/memory.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_drum_map.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
#include "tests/shell/fields/fields_fixture.h"

namespace fields_test {
namespace {

constexpr uint8_t kMidi = 0, kAudio = kAudioTrackOutputKind, kInstrument = kInstrumentTrackOutputKind;

class ViewModesTest : public FieldsTest {
 protected:
  void SetUp() override {
    FieldsTest::SetUp();
    CreatePlaceholderAppWindow(&slot_, &gMainEditorRecord, kMainEditorWindowKind, "Editor", Rect{60, 20, 660, 820});
    ResetSongDatabase();
    ASSERT_EQ(noErr, CreateSongTracks(6, 1));
    RebuildTrackNumberMap();
    // Panes: track 1, track 2 twice, track 3.
    const uint8_t tracks[] = {1, 2, 2, 3};
    for (int k = 0; k < 4; ++k) ASSERT_EQ(noErr, CreateEditorPane(int16_t(100 + 100 * k), false, tracks[k]));
    SelectEditorPane(0);
    gCurrentPaneSlot = 0;
    savedAux_ = gAuxBusCount;
  }
  void TearDown() override {
    gAuxBusCount = savedAux_;
    gCurrentPaneSlot = 0;
    ClearEditorPanes();
    FieldsTest::TearDown();
  }
  void MakeTrack(uint8_t outputKind) {
    SelectEditorPane(0);
    gCurrentTrack[kTrackOutputKind] = outputKind;
    gCurrentTrack[kTrackFlags] &= uint8_t(~kTrackFlagPlaysInstrument);
    gCurrentTrack[kTrackType] = outputKind == kInstrument ? kDeviceKindPlugin : 0;
  }
  AppWindow* slot_ = nullptr;
  int32_t savedAux_ = 0;
};

TEST_F(ViewModesTest, EachKindOfTrackTakesItsAllowedModes) {
  struct Case {
    uint8_t kind;
    int16_t request;
    int32_t controller;
    int16_t mode;
    int32_t controllerAfter;
  } cases[] = {
      {kAudio, 3, 1, 11, 1},         // 'K' on an audio track: pan automation
      {kAudio, 3, 7, 10, 7},         // with controller 7: volume automation
      {kAudio, 0, 1, 9, 1},          // notes become the waveform
      {kAudio, 4, 1, 9, 1},          // the parameter lane needs plug-ins or regions
      {kAudio, 13, 1, 13, 1},
      {kMidi, 13, 1, 3, 7},          // a send on a MIDI track: controller 7
      {kMidi, 10, 1, 3, 7},
      {kMidi, 11, 1, 3, 10},
      {kMidi, 14, 1, 3, 10},
      {kMidi, 12, 1, 12, 1},
      {kMidi, 16, 1, 16, 1},
      {kMidi, 9, 1, 0, 1},
      {kMidi, 15, 1, 0, 1},
      {kMidi, 40, 1, 0, 1},
      {kMidi, -3, 1, 0, 1},
      {kMidi, 5, 1, 5, 1},
      {kInstrument, 13, 1, 13, 1},   // an instrument track keeps its automation
      {kInstrument, 3, 1, 3, 1},     // and its MIDI lanes
      {kInstrument, 9, 1, 9, 1},
  };
  for (const Case& c : cases) {
    MakeTrack(c.kind);
    gLaneController = c.controller;
    EXPECT_EQ(c.mode, GetAllowedViewMode(c.request)) << int(c.kind) << " asks " << c.request;
    EXPECT_EQ(c.controllerAfter, gLaneController) << int(c.kind) << " asks " << c.request;
  }
}

TEST_F(ViewModesTest, InstrumentRowsKeepOnlyTheirOwnLanes) {
  gAuxBusCount = 2;
  struct Case {
    int16_t slot, request, mode;
  } cases[] = {
      {1, 10, 10}, {2, 11, 11}, {1, 0, 12}, {2, 15, 12},  // aux buses
      {3, 15, 15}, {3, 10, 12},                           // the master row
      {4, 10, 12}, {4, 0, 12},                            // past the master
  };
  for (const Case& c : cases) {
    gCurrentPaneSlot = c.slot;
    EXPECT_EQ(c.mode, GetAllowedViewMode(c.request)) << "slot " << c.slot << " asks " << c.request;
  }
}

TEST_F(ViewModesTest, SwitchingKeepsThePreviousModeAndFallsBackWithoutADrumMap) {
  MakeTrack(kMidi);
  gLaneController = 1;
  SetEditorViewMode(13);
  EXPECT_EQ(3, gEditorPanes[0].viewMode);
  EXPECT_EQ(3, gCurrentViewMode);
  EXPECT_EQ(7, gLaneController);
  SetEditorViewMode(4);
  EXPECT_EQ(4, gEditorPanes[0].viewMode);
  EXPECT_EQ(3, gEditorPanes[0].previousViewMode);
  ASSERT_FALSE(TrackEntryView(gCurrentTrack).DrumData());
  SetEditorViewMode(1);  // no drum map can be had: notes
  EXPECT_EQ(0, gEditorPanes[0].viewMode);
  EXPECT_EQ(0, gCurrentViewMode);
  // No controller chosen: the first one the track uses, none gives 1, stored in the track.
  gLaneController = 200;
  SetEditorViewMode(2);
  EXPECT_EQ(1, gLaneController);
  EXPECT_EQ(1, ReadU16BE(gCurrentTrack + kTrackLaneController));
}

TEST_F(ViewModesTest, TheDrumColumnIsWideOnlyWhileAShownPaneIsInADrumView) {
  MakeTrack(kMidi);
  Handle map = NewHandleClear(kDrumMapMinimumSize);
  ASSERT_TRUE(map);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(HandleData(map));
  for (int i = 0; i < 6; ++i) bytes[i] = uint8_t(10 + i);
  TrackEntryView(gCurrentTrack).SetDrumData(map);
  struct Case {
    uint8_t stored;
    int16_t mode;
    bool hidden;
    int16_t width;
  } cases[] = {
      {200, 0, false, 28},  // no drum view: the key column whatever the song stores
      {200, 1, false, 200},
      {3, 16, false, 96},   // a byte below 6: the default
      {200, 1, true, 28},   // a hidden pane does not count
  };
  for (const Case& c : cases) {
    gCurrentSong[kSongDrumColumnWidth] = c.stored;
    SetEditorViewMode(c.mode);
    gEditorPanes[0].flags = c.hidden ? kPaneHidden : 0;
    UpdateDrumListWidth();
    EXPECT_EQ(c.width, gDrumListWidth) << int(c.stored) << " mode " << c.mode;
    EXPECT_EQ(c.width, gTimelineFrame.originX);
  }
  EXPECT_EQ(13, gEditorDrumState[3]);
  gEditorPanes[0].flags = 0;
}

TEST_F(ViewModesTest, ThePopUpListsFollowTheKindOfTrack) {
  gAuxBusCount = 1;
  auto choices = [] {
    uint8_t modes[32];
    int16_t n = GetViewModeChoices(modes);
    return std::vector<int>(modes, modes + n);
  };
  MakeTrack(kMidi);
  EXPECT_EQ((std::vector<int>{0, 1, 16, 2, 3, 4, 5, 6, 7}), choices());
  MakeTrack(kAudio);
  EXPECT_EQ((std::vector<int>{9, 10, 11, 13, 14}), choices());
  MakeTrack(kInstrument);
  EXPECT_EQ((std::vector<int>{0, 1, 16, 2, 3, 4, 5, 6, 7, 9, 10, 11, 13, 14}), choices());
  gCurrentPaneSlot = 1;
  EXPECT_EQ((std::vector<int>{10, 11}), choices());
  gCurrentPaneSlot = 2;
  EXPECT_EQ((std::vector<int>{15}), choices());
  Str255 title;
  GetViewModeTitle(3, title);
  EXPECT_EQ("Controller", std::string(reinterpret_cast<char*>(title + 1), title[0]));
}

TEST_F(ViewModesTest, RemovingAPaneMovesTheLaterPanesForwardAndHandsTheTrackItsOtherView) {
  gEditorPanes[1].viewMode = 4;
  gEditorPanes[1].lane = 11;
  gEditorPanes[2].viewMode = 5;
  gEditorPanes[2].lane = 64;
  LayoutEditorPanes();
  uint16_t thirdTop = gEditorPanes[3].top;
  ControlRef lastBar = gEditorPanes[3].scrollBar;
  EXPECT_EQ(2, FindOtherPaneOfTrack(1));
  EXPECT_EQ(-1, FindOtherPaneOfTrack(0));
  SelectEditorPane(1);
  RemoveEditorPane(1);
  ASSERT_EQ(3, gEditorPaneCount);
  EXPECT_EQ(5, gCurrentTrack[kTrackViewMode]) << "the other pane's mode";
  EXPECT_EQ(64, ReadU16BE(gCurrentTrack + kTrackLaneController));
  EXPECT_EQ(2, gEditorPanes[1].track);
  EXPECT_EQ(lastBar, gEditorPanes[2].scrollBar);
  EXPECT_EQ(thirdTop, gEditorPanes[2].top);
  EXPECT_EQ(-1, FindOtherPaneOfTrack(1));
  EXPECT_LT(gCurrentPaneIndex, gEditorPaneCount);
  // The last pane is never removed.
  RemoveEditorPane(2);
  RemoveEditorPane(1);
  RemoveEditorPane(0);
  RemoveEditorPane(7);
  EXPECT_EQ(1, gEditorPaneCount);
}

TEST_F(ViewModesTest, OnePaneFillsTheWindowAndTheStackComesBack) {
  LayoutEditorPanes();
  std::vector<uint16_t> tops;
  for (int k = 0; k <= gEditorPaneCount; ++k) tops.push_back(gEditorPanes[k].top);
  ToggleSinglePaneLayout(2);
  for (int k = 0; k < gEditorPaneCount; ++k) {
    EXPECT_TRUE(gEditorPanes[k].flags & kPaneSharesHeight);
    EXPECT_EQ(k != 2, (gEditorPanes[k].flags & kPaneHidden) != 0) << k;
  }
  EXPECT_EQ(tops[0], gEditorPanes[2].top) << "the shown pane starts under the header";
  EXPECT_EQ(2, FindEditorPaneAt(int16_t(tops[0] + 20)));
  EXPECT_EQ(2, FindEditorPaneAt(int16_t(tops[3] + 20)));
  EXPECT_TRUE(IsPointInPane(2, Point{int16_t(tops[2] + 150), 50}));
  EXPECT_FALSE(IsPointInPane(0, Point{int16_t(tops[0] + 5), 50}));
  ToggleSinglePaneLayout(2);
  for (int k = 0; k <= gEditorPaneCount; ++k) EXPECT_EQ(tops[k], gEditorPanes[k].top) << k;
  for (int k = 0; k < gEditorPaneCount; ++k) EXPECT_EQ(0, gEditorPanes[k].flags) << k;
  // Removing a pane of the single layout brings the stack back first.
  ToggleSinglePaneLayout(1);
  RemoveEditorPane(1);
  for (int k = 0; k < gEditorPaneCount; ++k) EXPECT_EQ(0, gEditorPanes[k].flags) << k;
  EXPECT_EQ(tops[0], gEditorPanes[0].top);
  EXPECT_EQ(tops[2], gEditorPanes[1].top);
}

}  // namespace
}  // namespace fields_test
