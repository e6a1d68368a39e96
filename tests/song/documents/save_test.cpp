// Saving: a save that fails never touches the file it would have replaced; a save that
// succeeds replaces it whole (keeping its resource fork and Finder info).
#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>
#include <dirent.h>
#include <sys/resource.h>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "song/documents/document_file.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/documents/new_file_writer.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

// Limits the size of files this process may write, for the lifetime of the object; writes
// past it fail as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_;
  void (*oldHandler_)(int);
};

// The same song saved again after its blocks moved to other handles (as Undo exchanges them)
// writes the same bytes: the file marks a stored block, it does not name the handle.
TEST_F(DocumentTest, TheSameSongSavesTheSameBytesWhateverHandlesHoldItsBlocks) {
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("saved.bysq"));  // the song as saved (no longer modified)
  ASSERT_EQ(noErr, Save("first.bysq"));
  auto moveBlock = [](uint8_t* word) {
    Handle old(ReadU32BE(word));
    ASSERT_TRUE(old && IsValidHandle(old));
    Handle copy = NewHandle(GetHandleSize(old));
    ASSERT_TRUE(copy);
    std::memcpy(HandleData(copy), HandleData(old), size_t(GetHandleSize(old)));
    WriteU32BE(word, copy.id);
    DisposeHandle(old);
  };
  RefreshCurrentSongPtr();
  SCOPED_TRACE("conductor map");
  moveBlock(gCurrentSong + kSongConductorMap);
  SCOPED_TRACE("marker list");
  moveBlock(gCurrentSong + kSongMarkerList);
  SCOPED_TRACE("event list");
  int32_t current = GetCurrentTrackIndex();
  SetCurrentTrackIndex(0);
  moveBlock(gCurrentTrack + kTrackEventList);
  SetCurrentTrackIndex(current);
  ASSERT_EQ(noErr, Save("second.bysq"));
  EXPECT_TRUE(ReadFile("first.bysq") == ReadFile("second.bysq"));
}


TEST_F(DocumentTest, SaveThatRunsOutOfRoomLeavesTheOldFileAsItWas) {
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("song.bysq"));
  std::string old = ReadFile("song.bysq");
  std::vector<std::string> names = NamesInFolder(folder_.path());
  CloseSongDocument();
  ResetSongDatabase();
  BuildRichDocument();
  for (int32_t t = 0; t < 3; ++t) FillTrack(t, 3000, uint8_t(t));
  OSErr err;
  {
    FileSizeLimit limit(old.size() + 1000);
    err = Save("song.bysq");
  }
  EXPECT_EQ(dskFulErr, err);
  EXPECT_EQ(old, ReadFile("song.bysq"));
  EXPECT_EQ(names, NamesInFolder(folder_.path())) << "the temporary file is gone";
  EXPECT_EQ(noErr, Open("song.bysq")) << "the old document still opens";
}

OSErr WriteThenFail(void*) {
  WriteBlock("partial", 7);
  gStreamError = dskFulErr;
  return dskFulErr;
}

TEST_F(DocumentTest, WriterFailureLeavesTheOldFileAsItWas) {
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("song.bysq"));
  std::string old = ReadFile("song.bysq");
  std::vector<std::string> names = NamesInFolder(folder_.path());
  FSSpec fileSpec = FileSpecNamed("song.bysq");
  EXPECT_EQ(dskFulErr, WriteNewFileQuietly(&fileSpec, kSongDocumentType, WriteThenFail, nullptr));
  EXPECT_EQ(old, ReadFile("song.bysq"));
  EXPECT_EQ(names, NamesInFolder(folder_.path()));
}

TEST_F(DocumentTest, SaveKeepsTheReplacedFilesResourceForkAndType) {
  WriteFile("song", "old contents");
  FSSpec fileSpec = FileSpecNamed("song");
  FInfo info;
  info.fdType = kSongDocumentType;
  info.fdCreator = kProgramCreator;
  info.fdFlags = kHasCustomIcon;
  ASSERT_EQ(noErr, FSpSetFInfo(&fileSpec, &info));
  ASSERT_EQ(noErr, WriteResourceForkBytes(&fileSpec, std::string(300, 'r')));
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("song"));
  EXPECT_NE("old contents", ReadFile("song"));
  std::string fork;
  ASSERT_EQ(noErr, ReadResourceForkBytes(&fileSpec, &fork));
  EXPECT_EQ(std::string(300, 'r'), fork);
  FInfo after;
  ASSERT_EQ(noErr, FSpGetFInfo(&fileSpec, &after));
  EXPECT_EQ(kHasCustomIcon, after.fdFlags & kHasCustomIcon);
  EXPECT_EQ(noErr, Open("song"));
}

TEST_F(DocumentTest, NewDocumentIsASongDocumentOfTheProgram) {
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("fresh"));
  FSSpec fileSpec = FileSpecNamed("fresh");
  FInfo info;
  ASSERT_EQ(noErr, FSpGetFInfo(&fileSpec, &info));
  EXPECT_EQ(kSongDocumentType, info.fdType);
  EXPECT_EQ(kProgramCreator, info.fdCreator);
  EXPECT_TRUE(IsSameFSSpec(&fileSpec, &gCurrentDocumentSpec));
}

TEST_F(DocumentTest, SongsThatCannotBeStoredAreRefusedNotLost) {
  struct Case {
    const char* what;
    std::function<void()> make;
  } cases[] = {
      {"a song beyond slot 15", [this] { MakeSong(16, 1); }},
      {"a song block longer than its u16 length", [this] { MakeSong(2, 250); }},
      {"a child sequence with children of its own",
       [this] {
         SetCurrentTrackIndex(1);
         ASSERT_EQ(noErr, PushSongContext());
         ASSERT_TRUE(SelectChildSequence(0));
         SetCurrentTrackIndex(0);
         AddChildren(1, -1, 0);
         PopSongContext();
       }},
  };
  for (const Case& c : cases) {
    BuildSmallDocument();
    c.make();
    std::vector<std::string> names = NamesInFolder(folder_.path());
    EXPECT_EQ(paramErr, Save("refused.bysq")) << c.what;
    EXPECT_EQ(names, NamesInFolder(folder_.path())) << c.what << ": nothing was written";
    CloseSongDocument();
    ResetSongDatabase();
  }
}

}  // namespace
}  // namespace doc_test
