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
#include "audio/streams/stream_converters.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_media_hooks.h"
#include "audio/streams/stream_stop.h"
#include "audio/streams/track_stream_prepare.h"
#include "platform/memory/memory.h"
#include "platform/memory/byte_order.h"
#include "platform/threads/thread_pauses.h"
#include "shell/base/error_report_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
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

// A slot channel (a ReWire source) with nothing to stream is parked: stopped, its meters
// cleared; a channel fed by a source of its own is left as it is.
TEST_F(PrepareStream, ASlotChannelWithoutRegionsIsParked) {
  int32_t slot = 0;
  channel_.regionList = Handle();
  for (void* record : {static_cast<void*>(&slot), static_cast<void*>(nullptr)}) {
    channel_.slotRecord = record;
    channel_.stopped = 0;
    channel_.peakLeft = channel_.peakRight = 1234;
    EXPECT_EQ(PrepareAudioTrackStream(&channel_, 0, 44100.0f, 0), 0);
    EXPECT_EQ(channel_.stopped, record ? 1 : 0);
    EXPECT_EQ(channel_.peakLeft, record ? 0 : 1234);
  }
  channel_.slotRecord = nullptr;
}

// The disk worker does not serve the fill: the preparation gives up within its bound with
// error 47 instead of spinning for ever.
TEST_F(PrepareStream, ADiskWorkerThatDoesNotAnswerFailsThePreparationInTime) {
  gStallReader.store(true);
  auto begun = std::chrono::steady_clock::now();
  EXPECT_EQ(PrepareAudioTrackStream(&channel_, 0, 44100.0f, 0), kPrepareFillTimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(4));
}

// The track's audio record as media would answer it, and the track it was asked for.
TrackAudioRecord gTrackAudio;
bool gHasTrackAudio = true;
uint8_t* gAskedTrack = nullptr;
TrackAudioRecord* ActiveTrackAudio() {
  gAskedTrack = gCurrentTrack;
  return gHasTrackAudio ? &gTrackAudio : nullptr;
}
int32_t gAlerts = 0;

// A channel of track 1 of a song of two tracks, on a float device at 48 kHz, whose track's
// audio record media answers.
class PrepareTrackAudio : public PrepareStream {
 protected:
  void SetUp() override {
    PrepareStream::SetUp();
    song_ = NewHandleClear(SongBlockSizeFor(2));
    uint8_t* block = reinterpret_cast<uint8_t*>(*song_);
    WriteU16BE(block + kSongTrackCount, 2);
    for (int32_t i = 0; i < 2; ++i) {
      WriteU16BE(block + kSongHeaderSize + kTrackEntrySize * i + kTrackLength, kTrackEntrySize);
      block[kSongHeaderSize + kTrackEntrySize * i + kTrackNumber] = uint8_t(i);
    }
    channel_.song = song_;
    channel_.trackNumber = 1;
    channel_.sampleRate = 48000.0f;
    gTrackAudio = TrackAudioRecord();
    gHasTrackAudio = true;
    gAskedTrack = nullptr;
    gAlerts = 0;
    gStreamMediaHooks.getActiveTrackAudio = ActiveTrackAudio;
    gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t { return int16_t(++gAlerts); };
  }
  void TearDown() override {
    gStreamMediaHooks.getActiveTrackAudio = nullptr;
    gErrorReportHooks.showCautionAlert = nullptr;
    CloseStreamDecoder(&channel_);
    PrepareStream::TearDown();
    DisposeHandle(song_);
  }
  uint8_t* Track(int32_t i) const { return reinterpret_cast<uint8_t*>(*song_) + kSongHeaderSize + kTrackEntrySize * i; }
  Handle song_;
};

// The record gives the channel its source; the decoder that fits it is installed, the stream's
// blocks take the decoder's size and the float gain follows the source's width (a 16-bit
// source is not played 32768 times too loud on a float device). The cases run on one channel,
// prepared again each time: a half made for a smaller block is made again.
TEST_F(PrepareTrackAudio, TheTracksAudioRecordGivesTheChannelItsSourceAndDecoder) {
  struct Case {
    const char* name;
    OSType format;
    int16_t width;
    int16_t channels;
    float rate;
    StreamDecodeProc want;
    int32_t frameChannels;
    float gain;
  } cases[] = {
      {"24-bit mono at the device rate", FourCC("NONE"), 24, 1, 48000.0f, CopySameRateBlock, 1, 1.0f / 8388608.0f},
      {"16-bit stereo at 44.1 kHz", FourCC("NONE"), 16, 2, 44100.0f, ConvertStreamBlock, 2, 1.0f / 32768.0f},
      {"width unset: 16 bits", FourCC("NONE"), 0, 0, 44100.0f, ConvertStreamBlock, 1, 1.0f / 32768.0f},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    gTrackAudio.format = k.format;
    gTrackAudio.width = k.width;
    gTrackAudio.channels = k.channels;
    gTrackAudio.sampleRate = k.rate;
    ASSERT_EQ(PrepareAudioTrackStream(&channel_, 0, 48000.0f, 0), 0);
    EXPECT_EQ(gAskedTrack, Track(1)) << "asked with the channel's track current";
    for (void* half : channel_.halfBuffer) EXPECT_GE(GetPtrSize(static_cast<Ptr>(half)), channel_.decodedBlockBytes);
    EXPECT_EQ(gTrackAudio.channel, &channel_);
    EXPECT_EQ(channel_.pendingError, 0);
    EXPECT_EQ(channel_.decodeProc, k.want);
    EXPECT_EQ(channel_.frameChannels, k.frameChannels);
    EXPECT_EQ(channel_.stopped, 0);
    EXPECT_EQ(channel_.blockBytes, kFrames * 4 * k.frameChannels);
    ASSERT_GT(channel_.blocksPerHalf, 0);
    EXPECT_EQ(channel_.blocksPerHalf * channel_.blockBytes, channel_.decodedBlockBytes);
    EXPECT_FLOAT_EQ(channel_.wetScale, k.gain);
    EXPECT_FLOAT_EQ(channel_.dryScale, k.gain);
    EXPECT_EQ(gAlerts, 0);
  }
}

// A source the decoders cannot take is reported and its track stays silent, but the
// preparation goes on (the rest of the song plays); a track without its audio record fails
// with -50.
TEST_F(PrepareTrackAudio, ASourceNoDecoderTakesIsReportedAndItsTrackStaysSilent) {
  gTrackAudio.format = FourCC("NONE");
  gTrackAudio.width = 16;
  gTrackAudio.channels = 2;
  gTrackAudio.sampleRate = 0.0f;
  EXPECT_EQ(PrepareAudioTrackStream(&channel_, 0, 48000.0f, 0), 0);
  EXPECT_EQ(gAlerts, 1);
  EXPECT_EQ(channel_.stopped, 1);
  EXPECT_EQ(channel_.decodeProc, NullDecode);
  EXPECT_EQ(channel_.inputBuffers[0], nullptr);
  gHasTrackAudio = false;
  EXPECT_EQ(PrepareAudioTrackStream(&channel_, 0, 48000.0f, 0), kPrepareNoAudioRecord);
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
