// The loop dialog run from its nib: the repeat field and the endless button reach the song,
// Cancel changes nothing.
#include <gtest/gtest.h>

#include "editors/sections/section_dialog.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/track_sections.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_ring.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/dialogs/nib_dialog_script.h"
#include "tests/test_support.h"

namespace {

using namespace ui_test;

class SectionDialogRunTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ResetDialogState();
    gCurrentNibDialog = nullptr;
    resources = std::make_unique<ScopedResources>(zarin_test::ReadWholeFile(ZARIN_SECTION_DIALOG_SOURCE));
    DisposeUndoRing();
    ResetSongDatabase();
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
    SelectTrackSlotRange(0, 0);
    SetCurrentTrackIndex(0);
    SetTimeRange(241, 721);
  }
  void TearDown() override {
    resources.reset();
    DisposeUndoRing();
    UiTest::TearDown();
  }
  int32_t Run(void (*script)(WindowRef)) {
    return RunNibDialogScript([] { return RunSectionDialog(true, 0); }, script);
  }
  static void Click(WindowRef w, int32_t id) { ClickDialogView(w, id); }
  SectionFields Entry() {
    SectionFields f;
    EXPECT_TRUE(GetSectionFields(GetTrackSectionList(gCurrentTrack), 0, &f));
    return f;
  }
  std::unique_ptr<ScopedResources> resources;
};

TEST_F(SectionDialogRunTest, RepeatFieldSetsTheCountOfTheNewSection) {
  EXPECT_EQ(1, Run([](WindowRef w) {
              PostKey(kVK_ANSI_A, 'a', cmdKey);  // the focus starts in the repeat field
              PostText("6");
              Click(w, 1);
            }));
  SectionFields f = Entry();
  EXPECT_EQ(241u, f.start);
  EXPECT_EQ(721u, f.end);
  EXPECT_EQ(6u, f.count);
  EXPECT_TRUE(CanUndo());
}

TEST_F(SectionDialogRunTest, EndlessButtonMakesAnEndlessSection) {
  EXPECT_EQ(1, Run([](WindowRef w) {
              Click(w, kSectionEndlessRadio);
              Click(w, 1);
            }));
  EXPECT_EQ(0u, Entry().count);
  EXPECT_EQ(kEndlessRepeatsEnd, Entry().repeatsEnd);
}

TEST_F(SectionDialogRunTest, CancelAddsNothing) {
  EXPECT_EQ(0, Run([](WindowRef w) {
              Click(w, kSectionEndlessRadio);
              Click(w, 2);
            }));
  EXPECT_FALSE(GetTrackSectionList(gCurrentTrack));
}

}  // namespace
