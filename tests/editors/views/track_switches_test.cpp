// Solo, mute and record arm of the tracks as the pane headers' columns set them, the drum
// column's edge, and the hit codes of a header's fields.
#include <gtest/gtest.h>

#include <vector>

#include "editors/panes/drum_list_width.h"
#include "editors/views/pane_header_clicks.h"
#include "editors/views/track_switches.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "tests/editors/pane_fixture.h"

namespace {

using editors_test::Note;
using editors_test::NoteRecords;

class TrackSwitches : public editors_test::PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    for (uint8_t n = 0; n < 4; ++n) {
      AddTrack(n, NoteRecords({Note{10, uint8_t(60 + n), 100}}));
      gCurrentTrack[kTrackModeFlags] &= uint8_t(~kTrackModeArmed);  // a new song's first track comes armed
    }
    gCurrentSong[kSongArmedCount] = 0;
    gCurrentSong[kSongRecordTrack] = uint8_t(-1);
    RecheckTrackModes();
  }
  static uint8_t* Track(uint8_t n) {
    SelectTrackNumber(n);
    return gCurrentTrack;
  }
  static void Solo(uint8_t n, bool exclusive) {
    Track(n);
    ToggleTrackSolo(exclusive);
  }
  static bool Soloed(uint8_t n) { return Track(n)[kTrackFlags] & kTrackFlagSolo; }
  static bool Audible(uint8_t n) { return Track(n)[kTrackFlags] & kTrackFlagAudible; }
  static bool Armed(uint8_t n) { return Track(n)[kTrackModeFlags] & kTrackModeArmed; }
  static uint8_t SoloCount() { return gCurrentSong[kSongSoloCount]; }
};

TEST_F(TrackSwitches, SoloCountsAndExclusiveClicks) {
  Solo(0, false);
  Solo(1, false);
  EXPECT_EQ(2, SoloCount());
  EXPECT_TRUE(Audible(0));
  EXPECT_TRUE(Audible(1));
  EXPECT_FALSE(Audible(2)) << "a track that is not soloed plays while others are";

  Solo(2, true);  // exclusive on a track that is not soloed adds it
  EXPECT_EQ(3, SoloCount());
  EXPECT_TRUE(Soloed(0) && Soloed(1) && Soloed(2));

  Solo(1, true);  // exclusive on a soloed track ends every solo
  EXPECT_EQ(0, SoloCount());
  for (uint8_t n = 0; n < 4; ++n) {
    EXPECT_FALSE(Soloed(n)) << "track " << int(n);
    EXPECT_TRUE(Audible(n)) << "track " << int(n);
  }
}

// A count the file left wrong never wraps below 0 and never silences every track for good.
TEST_F(TrackSwitches, SoloCountDoesNotWrap) {
  Solo(0, false);
  gCurrentSong[kSongSoloCount] = 0;  // out of step with the tracks
  Solo(0, false);
  EXPECT_EQ(0, SoloCount());
  EXPECT_TRUE(Audible(3));
}

TEST_F(TrackSwitches, MuteTakesTheTrackOutUnlessSoloed) {
  Track(1);
  ToggleTrackMute();
  EXPECT_FALSE(Audible(1));
  EXPECT_TRUE(Audible(0));
  Solo(1, false);
  EXPECT_TRUE(Audible(1)) << "a soloed track plays even when muted";
  EXPECT_FALSE(Audible(0));
  Track(1);
  MuteOrSoloSelectedTracks(false);  // while tracks are soloed the mute column solos
  EXPECT_EQ(0, SoloCount());
  EXPECT_FALSE(Audible(1)) << "still muted";
}

TEST_F(TrackSwitches, ArmingKeepsOrDisarmsTheOthers) {
  Track(0);
  ToggleRecordArm(false);
  EXPECT_TRUE(Armed(0));
  EXPECT_EQ(0, int8_t(gCurrentSong[kSongRecordTrack]));
  Track(2);
  ToggleRecordArm(false);
  EXPECT_FALSE(Armed(0)) << "arming without shift disarms the first";
  EXPECT_TRUE(Armed(2));
  EXPECT_EQ(1, gCurrentSong[kSongArmedCount]);
  Track(3);
  ToggleRecordArm(true);
  EXPECT_TRUE(Armed(2) && Armed(3)) << "with shift both stay armed";
  EXPECT_EQ(2, gCurrentSong[kSongArmedCount]);
  EXPECT_EQ(3, int8_t(gCurrentSong[kSongRecordTrack]));
  Track(3);
  ToggleRecordArm(false);  // disarming hands the record track to the other armed one
  EXPECT_EQ(1, gCurrentSong[kSongArmedCount]);
  EXPECT_EQ(2, int8_t(gCurrentSong[kSongRecordTrack]));
  Track(2);
  ToggleRecordArm(false);
  EXPECT_EQ(0, gCurrentSong[kSongArmedCount]);
  EXPECT_EQ(-1, int8_t(gCurrentSong[kSongRecordTrack]));
}

TEST_F(TrackSwitches, DrumDividerStaysBetween28And255) {
  struct Case {
    int16_t x;
    uint8_t expected;
  };
  const std::vector<Case> cases{{200, 200}, {27, 200}, {28, 28}, {256, 28}, {255, 255}, {-5, 255}, {1000, 255}};
  for (const Case& c : cases) {
    SetDrumColumnWidthFromPointer(c.x);
    EXPECT_EQ(c.expected, gCurrentSong[kSongDrumColumnWidth]) << "pointer at " << c.x;
  }
}

// The fields where the header draws them: buttons from x 127 one line height each, the length
// from 4 lines + 127 to + 155, the mode from 4 lines + 166, the output from 4 lines + 350, the
// chain from 4 lines + 545 (past this window's right), the title from 34 to 125; the close box at the right.
TEST_F(TrackSwitches, HitCodesFollowTheDrawnFields) {
  AddPane(0, 60);
  AddPane(1, 60);
  gEditorPanes[1].top = 220;
  LayoutEditorPanes();
  const int16_t line = gStandardLineHeight;
  const int16_t top = int16_t(gEditorPanes[1].top);
  const int16_t v = int16_t(top - line / 2 - 2);  // inside pane 1's strip, above its divider line
  struct Case {
    int16_t h;
    int16_t code;
  };
  const std::vector<Case> cases{
      {10, kHeaderHitDivider},
      {40, kHeaderHitLane},
      {int16_t(127 + 1), kHeaderHitRecord},
      {int16_t(127 + line + 1), kHeaderHitMute},
      {int16_t(127 + 2 * line + 1), kHeaderHitSolo},
      {int16_t(127 + 3 * line + 1), kHeaderHitPlaySwitch},
      {int16_t(4 * line + 130), kHeaderHitLength},
      {int16_t(4 * line + 170), kHeaderHitViewMode},
      {int16_t(4 * line + 360), kHeaderHitOutput},
  };
  for (const Case& c : cases) {
    int16_t pane = -1;
    EXPECT_EQ(c.code, HitPaneHeader(Point{v, c.h}, nullptr, &pane)) << "x " << c.h;
    EXPECT_EQ(1, pane);
  }
  Rect bounds;
  GetWindowPortBounds(gMainEditorRecord.window, &bounds);
  int16_t pane = -1;
  int16_t boxV = int16_t(top - line - 5 + 4);
  EXPECT_EQ(kHeaderHitRemove, HitPaneHeader(Point{boxV, int16_t(bounds.right - 15 - 6)}, nullptr, &pane));
  EXPECT_EQ(kHeaderHitCollapse, HitPaneHeader(Point{boxV, int16_t(bounds.right - 15 - 6 - 13)}, nullptr, &pane));
  EventRecord context{};
  context.what = mouseDown;
  context.modifiers = controlKey;
  EXPECT_EQ(kHeaderHitContextMenu, HitPaneHeader(Point{v, 130}, &context, &pane));
  EXPECT_EQ(kHeaderHitContent, HitPaneHeader(Point{int16_t((top + GetPaneBottom(1)) / 2), 300}, nullptr, &pane));
  EXPECT_EQ(1, pane);
}

TEST_F(TrackSwitches, ColumnClickActsOnThePanesTrack) {
  AddPane(0, 60);
  AddPane(2, 60);
  gEditorPanes[1].top = 220;
  LayoutEditorPanes();
  SelectEditorPane(0);
  ClearTrackSelectionMask();  // a track outside the selection: the click acts on it alone
  const int16_t line = gStandardLineHeight;
  const int16_t v = int16_t(gEditorPanes[1].top - line / 2 - 2);
  EventRecord click{};
  click.what = mouseDown;
  EXPECT_FALSE(HandlePaneHeaderClick(Point{v, int16_t(127 + line + 1)}, &click));  // mute
  EXPECT_FALSE(Audible(2));
  EXPECT_TRUE(Audible(0));
  EXPECT_EQ(0, gCurrentPaneIndex) << "the current pane stays current";
  EXPECT_FALSE(HandlePaneHeaderClick(Point{v, int16_t(127 + 2 * line + 1)}, &click));  // solo
  EXPECT_TRUE(Soloed(2));
  EXPECT_EQ(1, SoloCount());
  EXPECT_FALSE(HandlePaneHeaderClick(Point{v, int16_t(127 + 1)}, &click));  // record
  EXPECT_TRUE(Armed(2));
  EXPECT_EQ(2, int8_t(gCurrentSong[kSongRecordTrack]));
}

}  // namespace
