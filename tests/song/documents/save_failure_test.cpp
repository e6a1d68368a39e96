// A save that fails at any step, a full disk included: the old document stays byte for byte,
// the failure is said naming the file, and no temporary file is left behind.
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/files/file_faults.h"
#include "song/documents/document_file.h"
#include "song/documents/document_writer.h"
#include "song/model/song_database.h"
#include "song/documents/document_open.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {
namespace {

struct FailingStep {
  const char* what;
  int16_t step;
  int32_t nth;
  OSErr err;
  const char* said;
};

const FailingStep kFailingSteps[] = {
    {"create the temporary file", kFileFaultCreate, 1, dskFulErr, "The disk is full."},
    {"first write", kFileFaultWrite, 1, dskFulErr, "The disk is full."},
    {"a later write", kFileFaultWrite, 4, ioErr, "input or output error"},
    {"flush to the disk", kFileFaultSync, 1, ioErr, "input or output error"},
    {"close", kFileFaultClose, 1, dskFulErr, "The disk is full."},
    {"rename into place", kFileFaultRename, 1, permErr, "denied"},
};

class SaveFailureTest : public AlertTextTest {
 protected:
  void TearDown() override {
    ClearFileFault();
    AlertTextTest::TearDown();
  }

  // A saved small document, then a bigger song open in its place.
  std::string SaveOldThenChange(const std::string& name) {
    BuildSmallDocument();
    EXPECT_EQ(noErr, Save(name));
    CloseSongDocument();
    ResetSongDatabase();
    BuildRichDocument();
    for (int32_t t = 0; t < 3; ++t) FillTrack(t, 3000, uint8_t(t));
    return ReadFile(name);
  }

};

TEST_F(SaveFailureTest, SaveFailingAtAnyStepKeepsTheOldDocumentAndSaysSo) {
  std::string old = SaveOldThenChange("song.bysq");
  FSSpec savedAs = gCurrentDocumentSpec;
  std::vector<std::string> names = NamesInFolder(folder_.path());
  for (const FailingStep& c : kFailingSteps) {
    SCOPED_TRACE(c.what);
    ClearAlertText();
    InjectFileFault(c.step, c.nth, c.err);
    EXPECT_EQ(c.err, Save("song.bysq"));
    EXPECT_EQ(old, ReadFile("song.bysq"));
    EXPECT_EQ(names, NamesInFolder(folder_.path())) << "no temporary file is left";
    std::string said = AlertText();
    EXPECT_NE(std::string::npos, said.find("\"song.bysq\" could not be saved.")) << said;
    EXPECT_NE(std::string::npos, said.find(c.said)) << said;
    EXPECT_EQ(0, std::memcmp(&savedAs, &gCurrentDocumentSpec, sizeof savedAs));
  }
  ClearFileFault();
  EXPECT_EQ(noErr, Save("song.bysq")) << "the same save succeeds once nothing fails";
  EXPECT_NE(old, ReadFile("song.bysq"));
  EXPECT_EQ(names, NamesInFolder(folder_.path()));
}

TEST_F(SaveFailureTest, FailedSaveAsLeavesNoFileOfThatName) {
  BuildSmallDocument();
  std::vector<std::string> names = NamesInFolder(folder_.path());
  for (const FailingStep& c : kFailingSteps) {
    SCOPED_TRACE(c.what);
    InjectFileFault(c.step, c.nth, c.err);
    EXPECT_EQ(c.err, Save("new song"));
    EXPECT_EQ(names, NamesInFolder(folder_.path()));
  }
}

TEST_F(SaveFailureTest, FullDiskKeepsTheOldDocumentAndSaysTheDiskIsFull) {
  zarin_test::SmallDisk disk(256 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  FSSpec fileSpec;
  BuildSmallDocument();
  ASSERT_EQ(fnfErr, PathToSpec(disk.File("song.bysq"), &fileSpec));
  ASSERT_EQ(noErr, SaveSongDocument(&fileSpec, 0));
  std::string old = zarin_test::ReadWholeFile(disk.File("song.bysq"));
  std::vector<std::string> names = NamesInFolder(disk.path());
  CloseSongDocument();
  ResetSongDatabase();
  BuildRichDocument();
  for (int32_t t = 0; t < 3; ++t) FillTrack(t, 20000, uint8_t(t));
  ClearAlertText();
  EXPECT_EQ(dskFulErr, SaveSongDocument(&fileSpec, 0));
  EXPECT_EQ(old, zarin_test::ReadWholeFile(disk.File("song.bysq")));
  EXPECT_EQ(names, NamesInFolder(disk.path()));
  EXPECT_NE(std::string::npos, AlertText().find("\"song.bysq\" could not be saved. The disk is full."))
      << AlertText();
}

TEST_F(SaveFailureTest, NextSaveRemovesTemporariesThatKilledSavesLeft) {
  BuildSmallDocument();
  ASSERT_EQ(noErr, Save("song.bysq"));
  std::vector<std::string> names = NamesInFolder(folder_.path());
  // A process that has ended, this process (no fork open) and a running one (the parent).
  const std::string gone = ".zarin-tmp-save-2147483646-1";
  const std::string mine = ".zarin-tmp-save-" + std::to_string(getpid()) + "-999";
  const std::string running = ".zarin-tmp-save-" + std::to_string(getppid()) + "-1";
  for (const std::string& name : {gone, mine, running}) WriteFile(name, "half a song");
  ASSERT_EQ(noErr, Save("song.bysq"));
  std::vector<std::string> expected = names;
  expected.push_back(running);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, NamesInFolder(folder_.path()));
}

}  // namespace
}  // namespace doc_test
