// The File menu's save-copy, revert, open and import items after a headless start: each
// reaches its command (the file dialogs answered by script), and the menu state enables
// Revert only for a document with a file and changes.
#include <cstdio>
#include <functional>
#include <string>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/menus/menu_state.h"
#include "song/documents/document_dialog_hooks.h"
#include "song/documents/document_file.h"
#include "song/documents/save_commands.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "tests/shell/app/app_fixture.h"
#include "tests/test_support.h"

namespace app_test {
namespace {

std::string TrackName(int32_t i) {
  std::string name(reinterpret_cast<const char*>(TrackEntryView(GetTrackEntryAt(i)).Name()), 32);
  return name.substr(0, name.find_last_not_of(' ') + 1);
}

Size CurrentEventListSize() {
  Handle list = GetCurrentTrackEventList();
  return list ? GetHandleSize(list) : 0;
}

uint32_t MarkerCount() {
  Handle markers = gCurrentSong ? SongHeaderView(gCurrentSong).MarkerList() : Handle();
  return markers ? ReadU32BE(HandleData(markers)) : 0;
}

bool Exists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

class FileMenuItems : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
  }
  void TearDown() override {
    gDocumentDialogHooks.showStopAlert = savedStopAlert_;
    QuitApplication(0);
    AppTest::TearDown();
  }
  // Chooses the item with the file dialog answering path.
  OSStatus Choose(int16_t item, const std::string& path) {
    zarin_test::ScopedEnv reply("ZARIN_NAV_REPLY", path);
    return DispatchMenuCommand(kFileMenuId, item);
  }
  zarin_test::TempFolder folder_;
  int16_t (*savedStopAlert_)(int16_t) = gDocumentDialogHooks.showStopAlert;
};

TEST_F(FileMenuItems, EachItemReachesItsCommand) {
  const std::string midi = zarin_test::FixturePath("smf/tempo_track_notes.mid");
  const std::string dump = folder_.File("dump.syx");
  zarin_test::WriteWholeFile(dump, std::string("\xF0\x43\x10\x01\xF7\xF0\x7E\x01\xF7", 9));
  const std::string lyrics = folder_.File("words.txt");
  zarin_test::WriteWholeFile(lyrics, "la li lo");
  const std::string copy = folder_.File("copy");
  struct Case {
    int16_t item;
    std::string reply;
    std::function<void()> check;
  };
  Size events = 0;
  uint32_t markers = 0;
  const Case cases[] = {
      {kFileImportMidiItem, midi, [] { EXPECT_EQ("Bass", TrackName(0)); }},
      {kFileImportLyricsItem, lyrics, [&] { EXPECT_EQ(markers + 3, MarkerCount()); }},
      {kFileImportSysExItem, dump, [&] { EXPECT_GT(CurrentEventListSize(), events); }},
      {kFileOpenMediaItem, midi, [] { EXPECT_EQ("Lead text", TrackName(1)); }},
      {kFileSaveCopyItem, copy, [&] {
         EXPECT_TRUE(Exists(copy));
         EXPECT_FALSE(IsDocumentNamed()) << "a copy does not name the document";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    events = CurrentEventListSize();
    markers = MarkerCount();
    EXPECT_EQ(noErr, Choose(c.item, c.reply));
    c.check();
  }
  EXPECT_EQ(noErr, Choose(kFileImportMidiItem, "-")) << "a cancelled dialog is no error";
}

TEST_F(FileMenuItems, RevertBringsBackTheSavedDocument) {
  UpdateMenuState();
  EXPECT_FALSE(IsMenuItemEnabled(gFileMenu, kFileRevertItem)) << "no file yet";
  ASSERT_EQ(noErr, Choose(kFileSaveAsItem, folder_.File("song")));
  ASSERT_TRUE(IsDocumentNamed());
  const int32_t saved = GetSongTrackCount();
  ASSERT_EQ(noErr, CreateSongTracks(saved + 3, 1));
  gSongModified = 1;
  UpdateMenuState();
  EXPECT_TRUE(IsMenuItemEnabled(gFileMenu, kFileRevertItem));

  gDocumentDialogHooks.showStopAlert = [](int16_t alertId) -> int16_t {
    EXPECT_EQ(kRevertAlertId, alertId);
    return 1;  // Cancel
  };
  EXPECT_EQ(noErr, DispatchMenuCommand(kFileMenuId, kFileRevertItem));
  EXPECT_EQ(saved + 3, GetSongTrackCount()) << "cancelled: the changes stay";
  gDocumentDialogHooks.showStopAlert = [](int16_t) -> int16_t { return kRevertAnswer; };
  EXPECT_EQ(noErr, DispatchMenuCommand(kFileMenuId, kFileRevertItem));
  EXPECT_EQ(saved, GetSongTrackCount());
  EXPECT_EQ(0, gSongModified);
  UpdateMenuState();
  EXPECT_FALSE(IsMenuItemEnabled(gFileMenu, kFileRevertItem)) << "nothing changed since the file";
}

}  // namespace
}  // namespace app_test
