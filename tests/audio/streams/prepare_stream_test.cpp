// An audio track's stream prepared at a start position: the disk worker fills both halves
// before the engine starts, the first from the start position (a ramp file, so a wrong offset
// or order shows), and a disk worker that does not answer fails the preparation in bounded
// time instead of hanging it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/disk_thread.h"
#include "audio/streams/engine_channel_creation.h"
#include "audio/streams/track_stream_prepare.h"
#include "platform/memory/memory.h"
#include "platform/threads/thread_pauses.h"
#include "tests/test_support.h"

namespace {

constexpr int32_t kFrames = 64;
constexpr int32_t kBlocksPerHalf = 4;
constexpr int32_t kHalfFrames = kFrames * kBlocksPerHalf;
constexpr int32_t kFileFrames = 20000;

std::atomic<bool> gStallReader{false};

// The ramp file's frames from the channel's position on (a half of them), then the position
// moves on; a stalled reader waits (bounded) first, as a disk that does not answer.
int32_t FileRampReader(EngineChannel* channel, int32_t, void* buffer, uint8_t* ready) {
  for (int32_t i = 0; i < 5000 && gStallReader.load(); ++i) PauseThreadMicros(1000);
  std::FILE* file = static_cast<std::FILE*>(channel->readerContext);
  std::fseek(file, long(channel->position * 2), SEEK_SET);
  size_t got = std::fread(buffer, 2, kHalfFrames, file);
  channel->position += int64_t(got);
  *ready = got > 0 ? 1 : 0;
  return 0;
}

class PrepareStream : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.File("ramp.raw");
    std::FILE* out = std::fopen(path_.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    for (int32_t n = 0; n < kFileFrames; ++n) {
      int16_t v = int16_t(n % 30000);
      std::fwrite(&v, 2, 1, out);
    }
    std::fclose(out);
    file_ = std::fopen(path_.c_str(), "rb");
    ASSERT_NE(file_, nullptr);
    if (!gDiskQueue.running.load()) ASSERT_EQ(StartDiskThread(), 0);
    regions_ = NewHandleClear(256);
    channel_.frameChannels = channel_.sourceChannels = 1;
    channel_.sampleBits = 16;
    channel_.sourceWidth = 16;
    channel_.framesPerBlock = kFrames;
    channel_.blocksPerHalf = kBlocksPerHalf;
    channel_.blockBytes = kFrames * 2;
    channel_.reader = FileRampReader;
    channel_.readerContext = file_;
    channel_.regionList = regions_;
  }
  void TearDown() override {
    gStallReader.store(false);
    // A fill given up on is still running in the disk worker: wait for it before freeing.
    for (int32_t i = 0; i < 80000 && (channel_.halfRequested[0] != channel_.halfCompleted[0] ||
                                      channel_.halfRequested[1] != channel_.halfCompleted[1]); ++i)
      PauseThreadMicros(100);
    WaitForEngineWorkerIdle(&gDiskQueue, 8000);
    for (void*& half : channel_.halfBuffer) {
      DisposeEngineBuffer(half);
      half = nullptr;
    }
    DisposeChannelBlocks(&channel_);
    DisposeHandle(regions_);
    if (file_) std::fclose(file_);
  }
  const int16_t* Half(int32_t h) const { return static_cast<const int16_t*>(channel_.halfBuffer[h]); }

  zarin_test::TempFolder folder_;
  std::string path_;
  std::FILE* file_ = nullptr;
  Handle regions_;
  EngineChannel channel_;
};

// Started in the middle of the file: half 0 begins with the start sample, half 1 follows on
// without a gap, and the channel is ready to play (not stopped, reading from half 0).
TEST_F(PrepareStream, AStartInTheMiddleOfTheFilePlaysFromThatSample) {
  for (int64_t start : {int64_t(0), int64_t(7), int64_t(12345)}) {
    SCOPED_TRACE(start);
    channel_.stopped = 1;
    ASSERT_EQ(PrepareAudioTrackStream(&channel_, start, 44100.0f, 0), 0);
    ASSERT_NE(Half(0), nullptr);
    ASSERT_NE(Half(1), nullptr);
    for (int32_t i = 0; i < kHalfFrames; ++i) {
      ASSERT_EQ(Half(0)[i], int16_t((start + i) % 30000)) << i;
      ASSERT_EQ(Half(1)[i], int16_t((start + kHalfFrames + i) % 30000)) << i;
    }
    EXPECT_EQ(channel_.stopped, 0);
    EXPECT_EQ(channel_.readPointer, channel_.halfBuffer[0]);
    EXPECT_EQ(channel_.halfReady[0], 1);
    EXPECT_EQ(channel_.halfReady[1], 1);
  }
}

// A 16-bit source on a float device plays at 1/32768 of full scale.
TEST_F(PrepareStream, ASixteenBitSourceOnAFloatDeviceGetsItsGain) {
  ASSERT_EQ(PrepareAudioTrackStream(&channel_, 0, 44100.0f, 0), 0);
  EXPECT_FLOAT_EQ(channel_.floatGain, 1.0f / 32768.0f);
}

// The disk worker does not serve the fill: the preparation gives up within its bound with
// error 47 instead of spinning for ever.
TEST_F(PrepareStream, ADiskWorkerThatDoesNotAnswerFailsThePreparationInTime) {
  gStallReader.store(true);
  auto begun = std::chrono::steady_clock::now();
  EXPECT_EQ(PrepareAudioTrackStream(&channel_, 0, 44100.0f, 0), kPrepareFillTimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(4));
}

}  // namespace

namespace {

// A preparation that gave up on a stalled disk leaves the fill running; disposing the channel
// then waits for it rather than freeing the half the disk worker is writing into.
TEST_F(PrepareStream, DisposalWaitsForAFillTheDiskStillRuns) {
  gStallReader.store(true);
  ASSERT_EQ(PrepareAudioTrackStream(&channel_, 0, 44100.0f, 0), kPrepareFillTimedOut);
  DisposeEngineChannel(&channel_, 0, 0);
  regions_ = Handle();  // disposed with the channel
  gStallReader.store(false);
  EXPECT_EQ(channel_.halfRequested[0].load(), channel_.halfCompleted[0].load());
  EXPECT_EQ(channel_.halfRequested[1].load(), channel_.halfCompleted[1].load());
  EXPECT_EQ(channel_.halfBuffer[0], nullptr);
}

}  // namespace
