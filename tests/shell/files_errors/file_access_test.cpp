#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/iteration_abort.h"
#include "song/documents/plugin_record_io.h"
#include "tests/test_support.h"

namespace {

class StreamTest : public ::testing::Test {
 protected:
  // Opens (creating it first) a file of the folder as the current stream.
  int16_t OpenStream(const std::string& name, int8_t permission = fsRdWrPerm) {
    FSSpec fileSpec;
    PathToSpec(folder_.File(name), &fileSpec);
    FSpCreate(&fileSpec, FourCC("V|ov"), FourCC("TEST"), -1);
    int16_t refNum = 0;
    EXPECT_EQ(OpenDataFork(&fileSpec, permission, &refNum), noErr);
    BeginStream(refNum);
    return refNum;
  }
  std::string Contents(const std::string& name) { return zarin_test::ReadWholeFile(folder_.File(name)); }
  zarin_test::TempFolder folder_;
};

TEST_F(StreamTest, HandlesAreWrittenWithTheirSize) {
  int16_t refNum = OpenStream("out");
  Handle h = NewHandle(3);
  std::memcpy(*h, "abc", 3);
  EXPECT_EQ(WriteHandleWithSize(Handle()), noErr);  // nothing at all for a null handle
  EXPECT_EQ(WriteHandleWithSize(h), noErr);
  CloseFork(refNum);
  EXPECT_EQ(Contents("out"), std::string("\0\0\0\3abc", 7));
  DisposeHandle(h);
}

TEST_F(StreamTest, ShortReadCountsOnlyTheBytesRead) {
  zarin_test::WriteWholeFile(folder_.File("in"), "12345");
  int16_t refNum = OpenStream("in", fsRdPerm);
  char buffer[16];
  EXPECT_EQ(ReadBlock(buffer, 3), noErr);
  EXPECT_EQ(gStreamByteCount, 3u);
  EXPECT_EQ(ReadBlock(buffer, 10), eofErr);
  EXPECT_EQ(gStreamByteCount, 5u);
  EXPECT_EQ(GetLastFileError(), eofErr);
  CloseFork(refNum);
}

TEST_F(StreamTest, DiskFullIsStickyUntilReported) {
  FSSpec full;
  int16_t fullRef = 0;
  if (PathToSpec("/dev/full", &full) != noErr || OpenDataFork(&full, fsWrPerm, &fullRef) != noErr)
    GTEST_SKIP() << "/dev/full cannot be opened here";
  BeginStream(fullRef);
  EXPECT_EQ(WriteBlock("x", 1), dskFulErr);
  int16_t good = 0;
  FSSpec fileSpec;
  PathToSpec(folder_.File("good"), &fileSpec);
  FSpCreate(&fileSpec, FourCC("V|ov"), FourCC("TEST"), -1);
  ASSERT_EQ(OpenDataFork(&fileSpec, fsRdWrPerm, &good), noErr);
  gStreamRefNum = good;  // the same sequence goes on in another file
  EXPECT_EQ(WriteBlock("y", 1), noErr);
  EXPECT_EQ(gStreamError, noErr);
  EXPECT_EQ(GetLastFileError(), dskFulErr);
  EXPECT_FALSE(IsStreamOk());
  EXPECT_EQ(ReportStreamError(), kDiskFullMessage);
  EXPECT_EQ(GetLastFileError(), noErr);
  EXPECT_EQ(ReportStreamError(), 0);
  CloseFork(good);
  CloseFork(fullRef);
}

TEST_F(StreamTest, StreamStopsWhileIterationIsAborted) {
  int16_t refNum = OpenStream("abort");
  EXPECT_TRUE(IsStreamOk());
  gIterationAbort = 1;
  EXPECT_FALSE(IsStreamOk());
  gIterationAbort = 0;
  gInsufficientMemoryShown = 1;
  EXPECT_FALSE(IsStreamOk());
  gInsufficientMemoryShown = 0;
  CloseFork(refNum);
}

TEST_F(StreamTest, LockedReadsFromManyThreadsGetTheirOwnBytes) {
  std::string data(64 * 1024, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 + i / 256);
  zarin_test::WriteWholeFile(folder_.File("shared"), data);
  FSSpec fileSpec;
  PathToSpec(folder_.File("shared"), &fileSpec);
  int16_t refNum = 0;
  ASSERT_EQ(OpenDataFork(&fileSpec, fsRdPerm, &refNum), noErr);
  std::vector<int> failures(4, 0);
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&, t] {
      char buffer[256];
      for (int k = 0; k < 500; ++k) {
        int64_t offset = ((k * 37 + t * 101) % 255) * 256;
        uint32_t count = sizeof buffer;
        if (ReadForkAtLocked(refNum, fsFromStart, offset, &count, buffer) != noErr || count != 256 ||
            std::memcmp(buffer, data.data() + offset, 256) != 0)
          ++failures[t];
      }
    });
  }
  for (std::thread& r : readers) r.join();
  for (int f : failures) EXPECT_EQ(f, 0);
  CloseFork(refNum);
}

TEST_F(StreamTest, PluginRecordIsWrittenWithItsSlotsInOrder) {
  Handle record = NewHandleClear(kPluginRecordSize);
  Handle first = NewHandle(2);
  std::memcpy(*first, "AB", 2);
  Handle last = NewHandle(1);
  std::memcpy(*last, "Z", 1);
  WriteU32BE(*record + kPluginRecordFirstSlot, first.id);
  WriteU32BE(*record + kPluginRecordLastSlot, last.id);
  WriteU32BE(*record + kPluginRecordRackWord, 0x1234);
  int16_t refNum = OpenStream("plugin");
  EXPECT_EQ(WritePluginRecordHandles(record), noErr);
  CloseFork(refNum);
  std::string out = Contents("plugin");
  ASSERT_EQ(out.size(), 4u + 158 + 6 + 5);
  EXPECT_EQ(ReadU32BE(out.data()), 158u);
  EXPECT_EQ(ReadU32BE(out.data() + 4 + kPluginRecordRackWord), 0u);  // no rack state to save
  EXPECT_EQ(out.substr(162), std::string("\0\0\0\2AB\0\0\0\1Z", 11));
  EXPECT_EQ(ReadU32BE(*record + kPluginRecordRackWord), 0x1234u);    // put back after
  DisposeHandle(record);
  DisposeHandle(first);
  DisposeHandle(last);
}

}  // namespace
