// A document the system asks to open while a dialog is up waits for the idle pass and opens
// once the dialog has gone; with no dialog up it opens at once.
#include "platform/files/file_locations.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/open_deferral.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/dialog_state.h"
#include "song/documents/open_dispatch.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

class OpenDeferral : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    ASSERT_EQ(noErr, PathToSpec(zarin_test::FixturePath("smf/tempo_track_notes.mid"), &midi_));
  }
  void TearDown() override {
    gDialogBusy = 0;
    QuitApplication(0);
    AppTest::TearDown();
  }
  FSSpec midi_{};
};

TEST_F(OpenDeferral, AnOpenDuringADialogWaitsForTheIdlePassAndIsNotLost) {
  int32_t tracksBefore = GetSongTrackCount();
  gDialogBusy = 1;
  ASSERT_TRUE(IsInModalPhase());
  EXPECT_EQ(noErr, OpenDocumentSpec(&midi_, 1, 0));
  EXPECT_EQ(tracksBefore, GetSongTrackCount()) << "nothing opens under the dialog";
  ASSERT_NE(TopIdleTask(), nullptr);
  RunIdleTask(false);  // the dialog is still up: the open keeps waiting
  EXPECT_NE(TopIdleTask(), nullptr);
  EXPECT_EQ(tracksBefore, GetSongTrackCount());

  gDialogBusy = 0;
  RunIdleTask(false);
  EXPECT_EQ(nullptr, TopIdleTask());
  EXPECT_EQ(2, GetSongTrackCount()) << "the MIDI file's tracks";
  EXPECT_TRUE(gAppState[4] & kAppWord4Opening);
}

TEST_F(OpenDeferral, WithNoDialogUpOrModeTwoTheOpenRunsAtOnce) {
  for (int16_t mode : {int16_t(1), int16_t(2)}) {
    SCOPED_TRACE(mode);
    gDialogBusy = mode == 2 ? 1 : 0;  // mode 2 never waits, even under a dialog
    EXPECT_EQ(noErr, OpenDocumentSpec(&midi_, mode, 0));
    EXPECT_EQ(nullptr, TopIdleTask());
    EXPECT_EQ(2, GetSongTrackCount());
  }
}

TEST_F(OpenDeferral, AFailedOpenClearsTheOpeningBit) {
  FSSpec missing{};
  PathToSpec("/tmp/zarin-no-such-document.mid", &missing);
  PostKey('\r', 36, 0);  // answers the alert that the file is missing
  EXPECT_NE(noErr, OpenDocumentSpec(&missing, 2, 0));
  EXPECT_FALSE(gAppState[4] & kAppWord4Opening);
}

}  // namespace
}  // namespace app_test
