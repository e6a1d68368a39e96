// Saving, opening and importing show the progress dialog, and its cancel key stops each of
// them without losing anything: the file on disk, the songs in memory and the current song
// stay as they were.
#include <string>

#include "platform/events/carbon_events.h"
#include "platform/events/key_codes.h"
#include "platform/files/file_locations.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/progress_hooks.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/progress_dialog.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "song/smf/smf_import.h"
#include "tests/shell/app/app_fixture.h"
#include "tests/test_support.h"

namespace app_test {
namespace {

int32_t gProgressOpened = 0;
int16_t (*gRealOpen)(int16_t, int32_t) = nullptr;

// The real dialog, counted.
int16_t CountedOpen(int16_t message, int32_t total) {
  ++gProgressOpened;
  return gRealOpen(message, total);
}

class ProgressCallers : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    gRealOpen = gProgressHooks.open;
    gProgressHooks.open = CountedOpen;
    gProgressOpened = 0;
    PathToSpec(folder_.File("song"), &spec_);
  }
  void TearDown() override {
    gProgressHooks.open = gRealOpen;
    FlushEventQueue(GetMainEventQueue());
    QuitApplication(0);
    AppTest::TearDown();
  }
  // The user's cancel key, waiting for the progress dialog's first look at the queue.
  void PressCancelKey() { PostKey(0x1B, kVK_Escape, 0); }
  void ExpectDialogGone() {
    EXPECT_FALSE(IsProgressDialogUp());
    EXPECT_EQ(0u, gDialogBusy) << "the menus are back";
  }
  zarin_test::TempFolder folder_;
  FSSpec spec_;
};

TEST_F(ProgressCallers, SaveShowsProgressAndACancelKeepsTheFileOnDisk) {
  ASSERT_EQ(noErr, SaveSongDocument(&spec_, 0));
  EXPECT_EQ(1, gProgressOpened);
  ExpectDialogGone();
  const std::string saved = zarin_test::ReadWholeFile(folder_.File("song"));
  ASSERT_FALSE(saved.empty());

  ASSERT_EQ(noErr, CreateSongTracks(4, 1));
  gSongModified = 1;
  PressCancelKey();
  EXPECT_EQ(kProgressCancelledErr, SaveSongDocument(&spec_, 0));
  ExpectDialogGone();
  EXPECT_EQ(saved, zarin_test::ReadWholeFile(folder_.File("song")));
  EXPECT_EQ(1, gSongModified) << "nothing was saved";
}

TEST_F(ProgressCallers, OpenShowsProgressAndACancelKeepsTheOpenSongs) {
  ASSERT_EQ(noErr, SaveSongDocument(&spec_, 0));
  ASSERT_EQ(noErr, CreateSongTracks(4, 1));
  gProgressOpened = 0;
  PressCancelKey();
  EXPECT_EQ(kProgressCancelledErr, OpenSongFile(&spec_, 0, false));
  EXPECT_EQ(1, gProgressOpened);
  ExpectDialogGone();
  EXPECT_EQ(4, GetSongTrackCount()) << "the open songs stay";

  EXPECT_EQ(noErr, OpenSongFile(&spec_, 0, false));
  EXPECT_EQ(1, GetSongTrackCount());
  ExpectDialogGone();
}

TEST_F(ProgressCallers, MidiImportShowsProgressAndACancelAddsNothing) {
  FSSpec midi;
  PathToSpec(zarin_test::FixturePath("smf/tempo_track_notes.mid"), &midi);
  ASSERT_EQ(noErr, CreateSongTracks(3, 1));
  PressCancelKey();
  EXPECT_EQ(kProgressCancelledErr, ImportStandardMidiFile(&midi, 1));
  EXPECT_EQ(1, gProgressOpened);
  ExpectDialogGone();
  EXPECT_EQ(3, GetSongTrackCount());
  EXPECT_FALSE(GetCurrentTrackEventList()) << "no events came in";

  EXPECT_EQ(noErr, ImportStandardMidiFile(&midi, 1));
  ExpectDialogGone();
  EXPECT_TRUE(GetCurrentTrackEventList());
}

}  // namespace
}  // namespace app_test
