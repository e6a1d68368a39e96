// The disk thread serves a channel's stream reads and a recorded buffer's writes through the
// file layer, with the handlers the program installs: the right bytes at the right offset, the
// half counted served even when the read fails, a failed request latched.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/engine/audio_hooks.h"
#include "audio/engine/engine_file_requests.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/disk_thread.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "tests/test_support.h"

using zarin_test::ReadWholeFile;
using zarin_test::TempFolder;

namespace {

// A file of counting bytes: byte i holds (i * 7 + i / 256) & 0xFF, so no window repeats
// another at a nearby offset.
uint8_t CountingByte(int64_t i) { return uint8_t((i * 7 + i / 256) & 0xFF); }

std::string WriteCountingFile(const TempFolder& tmp, int32_t size) {
  std::string path = tmp.File("take.raw");
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  for (int32_t i = 0; i < size; ++i) bytes[size_t(i)] = CountingByte(i);
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

FSIORefNum OpenFork(const std::string& path, SInt8 permission) {
  FSRef ref;
  if (FSPathMakeRef(path, &ref) != noErr) return 0;
  HFSUniStr255 data;
  FSGetDataForkName(&data);
  FSIORefNum refNum = 0;
  return FSOpenFork(&ref, data.length, data.unicode, permission, &refNum) == noErr ? refNum : 0;
}

bool WaitForServed(const EngineChannel& channel, int32_t half, uint32_t count) {
  for (int i = 0; i < 20000 && channel.halfCompleted[half].load() < count; ++i) usleep(100);
  return channel.halfCompleted[half].load() >= count;
}

class EngineFileRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallAudioHooks();
    TakeEngineError();
    if (!gDiskQueue.running.load()) {
      ASSERT_EQ(StartDiskThread(), 0);
    }
  }
  void TearDown() override { TakeEngineError(); }
  TempFolder tmp_;
};

}  // namespace

TEST_F(EngineFileRequests, AHalfReadTakesTheBytesAtItsOffset) {
  std::string path = WriteCountingFile(tmp_, 100000);
  FSIORefNum fork = OpenFork(path, fsRdPerm);
  ASSERT_NE(fork, 0);
  EngineChannel channel;
  std::vector<uint8_t> half(4096, 0);
  StreamFileRequest& request = channel.fileRequest;
  request.owner = &channel;
  request.forkRefNum = fork;
  request.positionMode = kStreamReadMode;
  request.buffer = half.data();
  request.count = uint32_t(half.size());
  const int64_t offsets[] = {0, 70001, 100000 - 4096};
  uint32_t served = 0;
  for (int64_t offset : offsets) {
    SetRequestPosition(&request, offset);
    ASSERT_EQ(RequestPosition(&request), offset);
    channel.halfRequested[1].fetch_add(1);
    ASSERT_EQ(PostEngineMessage(&request, kEngineMsgReadHalf1, &gDiskQueue), 0);
    ASSERT_TRUE(WaitForServed(channel, 1, ++served)) << offset;
    EXPECT_EQ(request.result.load(), noErr) << offset;
    EXPECT_EQ(request.actualCount, half.size()) << offset;
    for (size_t i = 0; i < half.size(); i += 97) ASSERT_EQ(half[i], CountingByte(offset + int64_t(i))) << offset;
    EXPECT_EQ(half.back(), CountingByte(offset + int64_t(half.size()) - 1)) << offset;
  }
  EXPECT_EQ(channel.halfCompleted[0].load(), 0u);  // code 2 serves half 1 only
  EXPECT_EQ(gEngineError.load(), 0);
  FSCloseFork(fork);
}

TEST_F(EngineFileRequests, AFailedReadIsCountedServedAndLatched) {
  EngineChannel channel;
  uint8_t buffer[64];
  StreamFileRequest& request = channel.fileRequest;
  request.owner = &channel;
  request.forkRefNum = 999;  // not open
  request.buffer = buffer;
  request.count = sizeof buffer;
  channel.halfRequested[0].fetch_add(1);
  ASSERT_EQ(PostEngineMessage(&request, kEngineMsgReadHalf0, &gDiskQueue), 0);
  ASSERT_TRUE(WaitForServed(channel, 0, 1));
  EXPECT_EQ(request.result.load(), rfNumErr);
  for (int i = 0; i < 2000 && gEngineError.load() == 0; ++i) usleep(100);
  EXPECT_EQ(gEngineError.load(), rfNumErr);
  // A request without a buffer reads nothing and says so.
  TakeEngineError();
  request.buffer = nullptr;
  channel.halfRequested[0].fetch_add(1);
  ASSERT_EQ(PostEngineMessage(&request, kEngineMsgReadHalf0, &gDiskQueue), 0);
  ASSERT_TRUE(WaitForServed(channel, 0, 2));
  EXPECT_EQ(request.result.load(), paramErr);
}

TEST_F(EngineFileRequests, ARecordWriteLandsAtItsPositionAndReportsItsResult) {
  std::string path = WriteCountingFile(tmp_, 8192);
  FSIORefNum fork = OpenFork(path, fsRdWrPerm);
  ASSERT_NE(fork, 0);
  std::vector<uint8_t> recorded(1000);
  for (size_t i = 0; i < recorded.size(); ++i) recorded[i] = uint8_t(255 - (i % 251));
  RecordWriteRequest request;
  request.forkRefNum = fork;
  request.positionMode = fsFromStart;
  SetRequestPosition(&request, 3000);
  request.buffer = recorded.data();
  request.count = uint32_t(recorded.size());
  request.result.store(kRequestPending);
  // Code 8 goes to the engine thread, which hands it on to the disk thread as code 3.
  if (!gEngineQueue.running.load()) {
    ASSERT_EQ(StartEngineThread(), 0);
  }
  ASSERT_EQ(PostEngineMessage(&request, kEngineMsgForwardRecord, &gEngineQueue), 0);
  for (int i = 0; i < 20000 && request.result.load() == kRequestPending; ++i) usleep(100);
  EXPECT_EQ(request.result.load(), noErr);
  EXPECT_EQ(request.actualCount, recorded.size());
  FSCloseFork(fork);
  std::string bytes = ReadWholeFile(path);
  ASSERT_EQ(bytes.size(), 8192u);
  for (int64_t i = 0; i < 8192; i += 13) {
    uint8_t want = i >= 3000 && i < 4000 ? recorded[size_t(i - 3000)] : CountingByte(i);
    ASSERT_EQ(uint8_t(bytes[size_t(i)]), want) << i;
  }
  // A write to a fork that is not open fails, and says so.
  request.forkRefNum = 999;
  request.result.store(kRequestPending);
  ASSERT_EQ(PostEngineMessage(&request, kEngineMsgWriteRecord, &gDiskQueue), 0);
  for (int i = 0; i < 20000 && request.result.load() == kRequestPending; ++i) usleep(100);
  EXPECT_EQ(request.result.load(), rfNumErr);
}
