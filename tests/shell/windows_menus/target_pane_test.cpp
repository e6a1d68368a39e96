// The pane a command acts on, over a song of three tracks shown in three panes (track n in
// pane n); track 2 has a child sequence.
#include <gtest/gtest.h>

#include "shell/windows/editor_panes.h"
#include "shell/windows/target_pane.h"
#include "song/model/songs.h"
#include "song/model/song_layout.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
#include "tests/song/model/model_fixture.h"

namespace {

class TargetPaneTest : public SongModelTest {
 protected:
  void SetUp() override {
    SongModelTest::SetUp();
    gCurrentSongIndex = 0;
    ASSERT_EQ(noErr, AddSong(SongBlockSize(0)));
    ASSERT_EQ(noErr, CreateSongTracks(3, 1));
    SetCurrentTrackIndex(2);
    ASSERT_EQ(0, SetChildCount(1));
    RebuildTrackNumberMap();
    gEditorPaneCount = 3;
    for (int16_t n = 0; n < 3; ++n) {
      SetCurrentTrackIndex(n);
      gEditorPanes[n] = EditorPane{uint16_t(40 * n), gCurrentTrack[kTrackNumber]};
    }
  }
  void TearDown() override {
    gEditorPaneCount = 0;
    gCurrentPaneIndex = 0;
    gPaneVisitMask = 0;
    gEditorPanes[2].kind = 0;
  }
};

TEST_F(TargetPaneTest, TheCurrentPaneWhenSelectedElseTheFirstSelected) {
  struct Case { int16_t current; uint32_t selected; bool needChildren; int8_t kind2; int16_t target; };
  const Case cases[] = {
      {1, 0x0, false, 0, 1},  // none selected: the current pane
      {2, 0x5, false, 0, 2},  // the current pane selected, a lower one too
      {1, 0x6, false, 0, 1},
      {1, 0x4, false, 0, 2},
      {0, 0x5, true, 0, 2},   // the current pane's track has no children: the one that has
      {2, 0x4, true, 0, 2},
      {2, 0x1, true, 0, 2},   // none selected has children: the current pane
      {0, 0x5, true, 5, 0},   // a plug-in view is never a pane with children
  };
  for (const Case& c : cases) {
    gCurrentPaneIndex = c.current;
    gPaneVisitMask = c.selected;
    gEditorPanes[2].kind = c.kind2;
    EXPECT_EQ(c.target, FindTargetPane(c.needChildren))
        << c.current << " " << c.selected << " " << c.needChildren << " " << int(c.kind2);
  }
}

}  // namespace
