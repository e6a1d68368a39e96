// The edit context of the program's own windows after a headless start: each window brought to
// the front gives its context, and its activation alone puts the filters of that window in
// force; the notepad's text view takes the Edit items.
#include <vector>

#include "editing/edit_commands.h"
#include "editing/edit_context.h"
#include "editing/event_filters.h"
#include "platform/windows/windows.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/windows/app_windows.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/window_redraw.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

class EditContextApp : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
  }
  void TearDown() override {
    QuitApplication(0);
    AppTest::TearDown();
  }
  // Brings the window of kind to the front; false when the program has no such window.
  static bool Front(int16_t kind) {
    AppWindow* record = GetWindowForKind(kind);
    if (!record || !record->window) return false;
    ShowWindow(record->window);
    SelectWindow(record->window);
    windows_test::DispatchQueuedEvents();
    return GetFrontWindowKind() == kind;
  }
};

TEST_F(EditContextApp, EachWindowInFrontGivesItsContext) {
  const struct { int16_t kind; uint32_t context; } kCases[] = {
      {kSongListKind, kContextSongList},         {kTrackWindowKind, kContextTrackWindow},
      {kInstrumentWindowKindId, kContextInstruments}, {kEventListKind, kContextEventList},
      {kConductorListKind, kContextConductorList}, {kRemoteControlKind, kContextRemote},
      {kMarkerListKind, kContextMarkers},        {kMixerKind, kContextWindow14},
      {kMainEditorWindowKind, kContextEditorNotes},
  };
  int shown = 0;
  for (const auto& c : kCases) {
    if (!Front(c.kind)) continue;
    ++shown;
    SetEditContextKind();
    EXPECT_EQ(c.context, gEditContextKind) << c.kind;
  }
  EXPECT_GE(shown, 4);
}

// Activating a window is enough: the filters follow the window without an Edit command.
TEST_F(EditContextApp, ActivatingAWindowInstallsItsFilters) {
  ASSERT_TRUE(gCurrentSong);
  ASSERT_TRUE(Front(kMainEditorWindowKind));
  SetTimeRange(2, 3);
  gEditFilterProc = gCopyFilterProc = nullptr;
  ASSERT_TRUE(Front(kSongListKind));
  EXPECT_EQ(NoteOnFilter, gEditFilterProc);
  EXPECT_EQ(AcceptAllEvents, gCopyFilterProc);
  ASSERT_TRUE(Front(kTrackWindowKind));
  EXPECT_EQ(NoteRangeFilter, gEditFilterProc);
  EXPECT_EQ(UnflaggedEventFilter, gCopyFilterProc);
  EXPECT_EQ(UnflaggedEventFilter, gSavedCopyFilterProc);
}

TEST_F(EditContextApp, TheNotepadTakesTheEditItems) {
  if (!Front(kNotepadKind)) GTEST_SKIP() << "no notepad window in this start-up";
  gSongModified = 0;
  EXPECT_EQ(kEditItemForTextView, DoEditMenuItem(5));
  EXPECT_EQ(kContextNotepad, gEditContextKind);
  EXPECT_EQ(1, gSongModified);
}

}  // namespace
}  // namespace app_test
