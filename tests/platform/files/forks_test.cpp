// Open forks: reads, writes, marks, sizes, permissions and host errors.
#include <sys/stat.h>
#include <unistd.h>

#include "tests/platform/files/files_test_support.h"

using files_test::Exists;
using files_test::SpecOf;
using zarin_test::ReadWholeFile;
using zarin_test::TempFolder;
using zarin_test::WriteWholeFile;

namespace {

FSIORefNum OpenData(const std::string& path, SInt8 permission) {
  FSSpec fileSpec = SpecOf(path);
  FSRef ref;
  HFSUniStr255 dataName;
  FSIORefNum refNum = 0;
  EXPECT_EQ(FSpMakeFSRef(&fileSpec, &ref), noErr);
  EXPECT_EQ(FSGetDataForkName(&dataName), noErr);
  EXPECT_EQ(FSOpenFork(&ref, dataName.length, dataName.unicode, permission, &refNum), noErr);
  return refNum;
}

TEST(ForksTest, ShortReadGivesEofErrWithTheCount) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("f"), ""));
  FSIORefNum ref = OpenData(tmp.File("f"), fsRdWrPerm);
  ByteCount count = 0;
  ASSERT_EQ(FSWriteFork(ref, fsAtMark, 0, 10, "0123456789", &count), noErr);
  EXPECT_EQ(count, 10u);
  char buf[16] = {};
  ASSERT_EQ(FSReadFork(ref, fsFromStart, 4, 3, buf, &count), noErr);
  EXPECT_EQ(std::string(buf, count), "456");
  EXPECT_EQ(FSReadFork(ref, fsAtMark | noCacheMask, 0, 10, buf, &count), eofErr);
  EXPECT_EQ(std::string(buf, count), "789");
  SInt64 mark = 0;
  ASSERT_EQ(FSGetForkPosition(ref, &mark), noErr);
  EXPECT_EQ(mark, 10);
  EXPECT_EQ(FSReadFork(ref, fsAtMark, 0, 1, buf, &count), eofErr);
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(FSCloseFork(ref), noErr);
  EXPECT_EQ(ReadWholeFile(tmp.File("f")), "0123456789");
}

TEST(ForksTest, PositionModesAndTheirLimits) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("f"), "0123456789"));
  FSIORefNum ref = OpenData(tmp.File("f"), fsRdPerm);
  struct Case {
    UInt16 mode;
    SInt64 offset;
    OSErr err;
    SInt64 mark;  // after the call, from a mark of 5
  } cases[] = {
      {fsFromStart, 2, noErr, 2},  {fsFromLEOF, -3, noErr, 7}, {fsFromMark, -2, noErr, 3},
      {fsFromMark, 2, noErr, 7},   {fsAtMark, 99, noErr, 5},   {fsFromStart, -1, posErr, 5},
      {fsFromMark, -6, posErr, 5}, {fsFromLEOF, 4, eofErr, 10}, {fsFromStart, 10, noErr, 10},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(FSSetForkPosition(ref, fsFromStart, 5), noErr);
    EXPECT_EQ(FSSetForkPosition(ref, c.mode, c.offset), c.err) << c.mode << " " << c.offset;
    SInt64 mark = -1;
    ASSERT_EQ(FSGetForkPosition(ref, &mark), noErr);
    EXPECT_EQ(mark, c.mark) << c.mode << " " << c.offset;
  }
  ASSERT_EQ(FSCloseFork(ref), noErr);
}

TEST(ForksTest, SizeChangesClampTheMarkAndWorkPastFourGigabytes) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("f"), "0123456789"));
  FSIORefNum ref = OpenData(tmp.File("f"), fsRdWrPerm);
  ASSERT_EQ(FSSetForkPosition(ref, fsFromLEOF, 0), noErr);
  ASSERT_EQ(FSSetForkSize(ref, fsFromStart, 4), noErr);
  SInt64 value = 0;
  ASSERT_EQ(FSGetForkSize(ref, &value), noErr);
  EXPECT_EQ(value, 4);
  ASSERT_EQ(FSGetForkPosition(ref, &value), noErr);
  EXPECT_EQ(value, 4);

  const SInt64 big = (SInt64(5) << 30) + 3;  // sparse on the host
  if (FSSetForkSize(ref, fsFromStart, big) == noErr) {
    ByteCount count = 0;
    ASSERT_EQ(FSWriteFork(ref, fsFromLEOF, -3, 3, "end", &count), noErr);
    char buf[4] = {};
    ASSERT_EQ(FSReadFork(ref, fsFromStart, big - 3, 3, buf, &count), noErr);
    EXPECT_EQ(std::string(buf, 3), "end");
    ASSERT_EQ(FSGetForkPosition(ref, &value), noErr);
    EXPECT_EQ(value, big);
  }
  ASSERT_EQ(FSCloseFork(ref), noErr);
}

TEST(ForksTest, BadRefnumsPermissionsAndMissingFiles) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("f"), "abc"));
  ByteCount count = 0;
  char buf[4];
  EXPECT_EQ(FSReadFork(4321, fsAtMark, 0, 1, buf, &count), rfNumErr);
  FSIORefNum reader = OpenData(tmp.File("f"), fsRdPerm);
  EXPECT_EQ(FSWriteFork(reader, fsAtMark, 0, 1, "x", &count), wrPermErr);
  EXPECT_EQ(FSSetForkSize(reader, fsFromStart, 0), wrPermErr);
  FSIORefNum writer = OpenData(tmp.File("f"), fsRdWrPerm);
  FSSpec fileSpec = SpecOf(tmp.File("f"));
  FSIORefNum second = 0;
  EXPECT_EQ(FSpOpenDF(&fileSpec, fsRdWrPerm, &second), opWrErr);
  ASSERT_EQ(FSCloseFork(writer), noErr);
  ASSERT_EQ(FSCloseFork(reader), noErr);
  EXPECT_EQ(FSCloseFork(reader), rfNumErr);
  EXPECT_EQ(FSGetForkSize(reader, nullptr), rfNumErr);

  FSSpec missing = SpecOf(tmp.File("none"));
  EXPECT_EQ(FSpOpenDF(&missing, fsRdPerm, &second), fnfErr);
  FSRef folderRef;
  ASSERT_EQ(FSPathMakeRef(tmp.path(), &folderRef), noErr);
  EXPECT_EQ(FSOpenFork(&folderRef, 0, nullptr, fsRdPerm, &second), notAFileErr);
  EXPECT_EQ(CountOpenForks(), 0);

  if (geteuid() != 0) {  // the superuser is never refused
    ASSERT_EQ(chmod(tmp.File("f").c_str(), 0444), 0);
    EXPECT_EQ(FSpOpenDF(&fileSpec, fsRdWrPerm, &second), permErr);
  }
}

TEST(ForksTest, FullDiskIsDskFulErr) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  FSSpec fileSpec = SpecOf("/dev/full");
  FSIORefNum ref = 0;
  ASSERT_EQ(FSpOpenDF(&fileSpec, fsWrPerm, &ref), noErr);
  ByteCount count = 99;
  EXPECT_EQ(FSWriteFork(ref, fsAtMark, 0, 4, "data", &count), dskFulErr);
  EXPECT_EQ(count, 0u);
  SInt32 classic = 4;
  EXPECT_EQ(FSWrite(ref, &classic, "data"), dskFulErr);
  EXPECT_EQ(FSCloseFork(ref), noErr);
}

TEST(ForksTest, ResourceForkLivesInTheSidecarAndIsWrittenOnClose) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("doc"), "data"));
  FSSpec fileSpec = SpecOf(tmp.File("doc"));
  FSRef ref;
  ASSERT_EQ(FSpMakeFSRef(&fileSpec, &ref), noErr);
  HFSUniStr255 rsrc;
  ASSERT_EQ(FSGetResourceForkName(&rsrc), noErr);
  FSIORefNum fork = 0;
  ASSERT_EQ(FSOpenFork(&ref, rsrc.length, rsrc.unicode, fsRdWrPerm, &fork), noErr);
  ByteCount count = 0;
  ASSERT_EQ(FSWriteFork(fork, fsAtMark, 0, 5, "rsrc!", &count), noErr);
  EXPECT_FALSE(Exists(tmp.File("._doc")));  // held until flushed or closed
  ASSERT_EQ(FSCloseFork(fork), noErr);
  std::string bytes;
  ASSERT_EQ(ReadResourceForkBytes(&fileSpec, &bytes), noErr);
  EXPECT_EQ(bytes, "rsrc!");
  EXPECT_EQ(ReadWholeFile(tmp.File("doc")), "data");
  EXPECT_TRUE(SpecHasResourceFork(&fileSpec));

  // The classic calls reach the same fork.
  ASSERT_EQ(FSpOpenRF(&fileSpec, fsRdWrPerm, &fork), noErr);
  SInt32 eof = 0;
  ASSERT_EQ(GetEOF(fork, &eof), noErr);
  EXPECT_EQ(eof, 5);
  ASSERT_EQ(SetFPos(fork, fsFromStart, 1), noErr);
  char buf[8] = {};
  SInt32 n = 8;
  EXPECT_EQ(FSRead(fork, &n, buf), eofErr);
  EXPECT_EQ(std::string(buf, size_t(n)), "src!");
  ASSERT_EQ(SetEOF(fork, 0), noErr);
  ASSERT_EQ(FSClose(fork), noErr);
  EXPECT_FALSE(SpecHasResourceFork(&fileSpec));
  EXPECT_FALSE(Exists(tmp.File("._doc")));  // nothing left to keep
}

TEST(ForksTest, OpenForksFollowARename) {
  TempFolder tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("old"), ""));
  FSSpec fileSpec = SpecOf(tmp.File("old"));
  FSIORefNum fork = 0;
  ASSERT_EQ(FSpOpenRF(&fileSpec, fsRdWrPerm, &fork), noErr);
  SInt32 n = 3;
  ASSERT_EQ(FSWrite(fork, &n, "abc"), noErr);
  ASSERT_EQ(FSpRename(&fileSpec, files_test::PStr("new")), noErr);
  ASSERT_EQ(FSClose(fork), noErr);
  FSSpec renamed = SpecOf(tmp.File("new"));
  std::string bytes;
  ASSERT_EQ(ReadResourceForkBytes(&renamed, &bytes), noErr);
  EXPECT_EQ(bytes, "abc");
  EXPECT_FALSE(Exists(tmp.File("._old")));
}

}  // namespace
