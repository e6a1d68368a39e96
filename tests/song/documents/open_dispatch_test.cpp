// The open dispatcher: song documents, MIDI files into a free song slot, missing files and
// kinds that open nothing.
#include "platform/memory/memory.h"
#include "shell/menus/alias_lists.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_open.h"
#include "song/documents/open_dispatch.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/songs.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

// Opening through the dispatcher adds to the recent files: those lists are emptied after
// each test, so that only what the documents hold counts as a leak.
class OpenDispatchTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    InstallRecentFileHooks();
  }
  void TearDown() override {
    ForgetRecentFiles();
    gDocumentHooks = {};
    DocumentTest::TearDown();
  }
};

int32_t gSaveChangesAsked = 0;
int32_t gPlaybackStops = 0;

// A format-0 file with one note.
std::string TinyMidiFile() {
  const unsigned char bytes[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                 'M', 'T', 'r', 'k', 0, 0, 0, 12, 0, 0x90, 60, 64,
                                 96, 0x80, 60, 64, 0, 0xFF, 0x2F, 0};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

TEST_F(OpenDispatchTest, SongDocumentOpensThroughTheDispatcher) {
  BuildSmallDocument();
  std::string songs = SnapshotSongs();
  ASSERT_EQ(noErr, Save("doc.bysq"));
  CloseSongDocument();
  ResetSongDatabase();
  FSSpec fileSpec = FileSpecNamed("doc.bysq");
  EXPECT_EQ(noErr, OpenDocumentSpec(&fileSpec, 0, 0));
  EXPECT_EQ(kOpenKindSongDocument, gOpenKind);
  EXPECT_EQ(songs, SnapshotSongs());
}

TEST_F(OpenDispatchTest, MissingFileAndPresetsOpenNothing) {
  BuildSmallDocument();
  std::string songs = SnapshotSongs();
  gOpenKind = 0;
  FSSpec missing = FileSpecNamed("absent.bysq");
  EXPECT_EQ(fnfErr, OpenDocumentSpec(&missing, 0, 0));
  EXPECT_EQ(0, gOpenKind);
  WriteFile("preset", "x");
  FSSpec preset = FileSpecNamed("preset");
  FInfo info;
  info.fdType = FourCC("mRCd");
  ASSERT_EQ(noErr, FSpSetFInfo(&preset, &info));
  EXPECT_EQ(noErr, OpenDocumentSpec(&preset, 0, 0));
  EXPECT_EQ(songs, SnapshotSongs());
}

TEST_F(OpenDispatchTest, MidiFileGoesToTheNextFreeSlot) {
  BuildSmallDocument();  // songs 0 and 1 hold material
  WriteFile("tune.mid", TinyMidiFile());
  FSSpec fileSpec = FileSpecNamed("tune.mid");
  SelectSongIndex(0);
  ASSERT_EQ(noErr, OpenDocumentSpec(&fileSpec, 0, 0));
  EXPECT_EQ(kOpenKindOther, gOpenKind);
  EXPECT_EQ(2, gCurrentSongIndex);
  EXPECT_TRUE(GetSongHandleAt(2));
  EXPECT_FALSE(IsDocumentNamed());
}

TEST_F(OpenDispatchTest, MidiFileWithEverySlotTakenChangesNothing) {
  for (int32_t slot = 0; slot < kMaxDocumentSongs; ++slot) {
    MakeSong(slot, 1);
    FillTrack(0, 1, uint8_t(slot));
  }
  SelectSongIndex(0);
  std::string songs = SnapshotSongs();
  WriteFile("tune.mid", TinyMidiFile());
  FSSpec fileSpec = FileSpecNamed("tune.mid");
  EXPECT_EQ(kDocumentSlotsFullErr, OpenDocumentSpec(&fileSpec, 0, 0));
  EXPECT_EQ(songs, SnapshotSongs());
}

// The save-changes step comes from its owner's hook entry: an answer that cancels leaves the
// open songs alone and stops no playback.
TEST_F(OpenDispatchTest, SaveChangesEntryThatCancelsStopsTheOpen) {
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("doc.bysq"));
  std::string songs = SnapshotSongs();
  gSaveChangesAsked = gPlaybackStops = 0;
  gDocumentHooks.askToSaveChanges = [](int16_t) -> int16_t { return int16_t(++gSaveChangesAsked); };
  gDocumentHooks.stopPlaybackForOpen = [](bool) { ++gPlaybackStops; };
  gOpenKind = 0;
  FSSpec fileSpec = FileSpecNamed("doc.bysq");
  EXPECT_EQ(userCanceledErr, OpenDocumentSpec(&fileSpec, 0, 0));
  EXPECT_EQ(1, gSaveChangesAsked);
  EXPECT_EQ(0, gPlaybackStops);
  EXPECT_EQ(songs, SnapshotSongs());
}

}  // namespace
}  // namespace doc_test
