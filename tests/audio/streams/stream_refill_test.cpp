// The region walk that refills a track's stream halves: halves that do not line up with the
// region borders follow the regions (file data, silence, other file data) and end in silence
// after the last region (a looping channel starts again at the first); a locate moves the next
// half to the new position, rescaled to the file's rate; a short or failed read and a decoder
// error give silence and a latched error, never the bytes that were in the buffers before.
// The file is a ramp of 16-bit samples (frame f holds f + 1), so a wrong offset shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/engine/region_lookup.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_reads.h"
#include "audio/streams/stream_refill.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "tests/audio/streams/pcm_file_header.h"
#include "tests/test_support.h"

namespace {

constexpr int32_t kFileFrames = 8000;
constexpr float kRate = 44100.0f;
constexpr int32_t kBlockFrames = 64;

struct RegionSpec {
  int64_t firstFrame;  // in the file; -1 silence
  int64_t frames;
};

class StreamRefill : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeEngineError();
    gStreamBufferBytes = 1024;  // 256 frames of float a half
    std::string path = tmp_.File("ramp.aif");
    std::vector<uint8_t> bytes(size_t(kFileFrames) * 2);
    for (int32_t f = 0; f < kFileFrames; ++f) WriteU16BE(&bytes[size_t(f) * 2], uint16_t(f + 1));
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    fork_ = stream_test::OpenReadFork(path);
    ASSERT_NE(fork_, 0);
    c_.sourceFormat = FourCC("NONE");
    c_.sourceWidth = 16;
    c_.sourceChannels = 1;
    c_.sourceRate = kRate;
    c_.sampleRate = kRate;
    c_.fileRequest.forkRefNum = fork_;
    ASSERT_EQ(OpenSoundConverters(&c_, kBlockFrames, 0, 32, 0, nullptr, false, kRate), 0);
    ASSERT_NE(c_.decodeProc, nullptr);
    halfFrames_ = c_.decodedBlockBytes / 4;
    ASSERT_EQ(halfFrames_, 256);
    out_.assign(size_t(halfFrames_), 0.0f);
  }
  void TearDown() override {
    CloseStreamDecoder(&c_);
    if (c_.regionList) DisposeHandle(c_.regionList);
    if (fork_) FSCloseFork(fork_);
    gStreamBufferBytes = kDefaultStreamBufferBytes;
    TakeEngineError();
  }
  void SetRegions(const std::vector<RegionSpec>& regions) {
    c_.regionList = NewHandleClear(int32_t(regions.size()) * kRegionSize);
    for (size_t i = 0; i < regions.size(); ++i) {
      uint8_t* r = reinterpret_cast<uint8_t*>(*c_.regionList) + i * kRegionSize;
      if (regions[i].firstFrame < 0) WriteU16BE(r + kRegionFlagsAt, kRegionFlagSilent);
      else WriteU32BE(r + kRegionFileOffsetAt, uint32_t(regions[i].firstFrame * 2));
      SetRegionLength(r, regions[i].frames);
    }
  }
  // The next half, filled over stale bytes; answers its samples at the source's scale.
  std::vector<float> NextHalf(int32_t half, uint8_t* ready = nullptr) {
    std::memset(out_.data(), 0x7F, out_.size() * 4);
    std::memset(c_.inputBuffers[half], 0x7F, size_t(c_.inputBytesPerCall));
    uint8_t r = 0xEE;
    EXPECT_EQ(FillStreamHalf(&c_, half, out_.data(), &r), 0);
    if (ready) *ready = r;
    return out_;
  }

  zarin_test::TempFolder tmp_;
  FSIORefNum fork_ = 0;
  EngineChannel c_;
  int32_t halfFrames_ = 0;
  std::vector<float> out_;
};

// Region A plays file frames 100..399, 50 frames of silence, region B file frames 5000..5399.
float Expected(int64_t p) {
  if (p < 300) return float(101 + p);
  if (p < 350) return 0.0f;
  if (p < 750) return float(5001 + p - 350);
  return 0.0f;
}

}  // namespace

TEST_F(StreamRefill, HalvesFollowTheRegionsAcrossTheirBordersAndEndInSilence) {
  SetRegions({{100, 300}, {-1, 50}, {5000, 400}});
  EXPECT_EQ(LocateStreamInRegions(&c_, 0, c_.regionList), 0);
  EXPECT_EQ(c_.streaming, 1);
  int64_t position = 0;
  for (int32_t n = 0; n < 5; ++n) {
    uint8_t ready = 0;
    std::vector<float> half = NextHalf(n & 1, &ready);
    for (int32_t i = 0; i < halfFrames_; ++i)
      ASSERT_EQ(half[size_t(i)], Expected(position + i)) << "half " << n << " frame " << i;
    EXPECT_EQ(ready, position < 750 ? 1 : 0) << "half " << n;
    EXPECT_EQ(c_.halfAtEnd[n & 1], position + halfFrames_ > 750 ? 1 : 0) << "half " << n;
    position += halfFrames_;
  }
  EXPECT_EQ(gEngineError.load(), 0);

  // A looping channel starts again at its first region after the last.
  c_.loop = 1;
  LocateStreamInRegions(&c_, 700, c_.regionList);
  std::vector<float> half = NextHalf(0);
  for (int32_t i = 0; i < halfFrames_; ++i)
    ASSERT_EQ(half[size_t(i)], i < 50 ? Expected(700 + i) : Expected(i - 50)) << "frame " << i;
}

TEST_F(StreamRefill, ALocateMovesTheNextHalfToTheRescaledPosition) {
  SetRegions({{100, 300}, {-1, 50}, {5000, 400}});
  LocateStreamInRegions(&c_, 0, c_.regionList);
  NextHalf(0);
  // At the file's rate: the position as it stands.
  EXPECT_EQ(RelocateStream(&c_, 320), 320);
  EXPECT_EQ(c_.position, 320);
  std::vector<float> half = NextHalf(1);
  for (int32_t i = 0; i < halfFrames_; ++i) ASSERT_EQ(half[size_t(i)], Expected(320 + i)) << "frame " << i;
  EXPECT_EQ(c_.locatePending.load(), 0);
  // A channel at twice the file's rate reads its file at half the position.
  c_.sampleRate = 2 * kRate;
  RelocateStream(&c_, 800);
  half = NextHalf(0);
  for (int32_t i = 0; i < halfFrames_; ++i) ASSERT_EQ(half[size_t(i)], Expected(400 + i)) << "frame " << i;
  // A cycle's loop folds a position beyond it; a loop of no length folds nothing.
  c_.loop = 1;
  c_.loopStart = 100;
  c_.loopEnd = 300;
  EXPECT_EQ(RelocateStream(&c_, 750), 150);
  c_.loopEnd = 100;
  EXPECT_EQ(RelocateStream(&c_, 750), 750);
}

TEST_F(StreamRefill, AShortFileOrAFailedReadIsSilenceAndAnError) {
  // The region claims 300 frames where the file has 100 left.
  SetRegions({{kFileFrames - 100, 300}});
  LocateStreamInRegions(&c_, 0, c_.regionList);
  std::vector<float> half = NextHalf(0);
  for (int32_t i = 0; i < halfFrames_; ++i)
    ASSERT_EQ(half[size_t(i)], i < 100 ? float(kFileFrames - 100 + 1 + i) : 0.0f) << "frame " << i;
  EXPECT_EQ(TakeEngineError(), kStreamErrShortRead);

  // A fork that is not open: nothing was read, nothing stale is played.
  c_.fileRequest.forkRefNum = 0x7ABC;
  LocateStreamInRegions(&c_, 0, c_.regionList);
  half = NextHalf(1);
  for (int32_t i = 0; i < halfFrames_; ++i) ASSERT_EQ(half[size_t(i)], 0.0f) << "frame " << i;
  EXPECT_NE(TakeEngineError(), 0);
}

TEST_F(StreamRefill, ADecoderErrorIsSilenceAndAnError) {
  SetRegions({{100, 300}});
  LocateStreamInRegions(&c_, 0, c_.regionList);
  c_.decodeProc = [](EngineChannel*, int32_t, void* destination, uint8_t*) -> int16_t {
    std::memset(destination, 0x55, 64);  // a decoder that fails part way
    return -4;
  };
  uint8_t ready = 1;
  std::vector<float> half = NextHalf(0, &ready);
  for (int32_t i = 0; i < halfFrames_; ++i) ASSERT_EQ(half[size_t(i)], 0.0f) << "frame " << i;
  EXPECT_EQ(ready, 0);
  EXPECT_EQ(TakeEngineError(), -4);
}

TEST_F(StreamRefill, AReverseChannelReadsTheFramesBeforeItsPositionHalfByHalf) {
  SetRegions({{100, 300}, {-1, 50}, {5000, 400}});
  c_.reverse = 1;
  LocateStreamInRegions(&c_, 600, c_.regionList);
  int64_t end = 600;
  for (int32_t n = 0; n < 3; ++n) {
    std::vector<float> half = NextHalf(n & 1);
    // Forwards in the half: the frames from end - 256 to end, silence before the start.
    for (int32_t i = 0; i < halfFrames_; ++i) {
      int64_t p = end - halfFrames_ + i;
      ASSERT_EQ(half[size_t(i)], p < 0 ? 0.0f : Expected(p)) << "half " << n << " frame " << i;
    }
    EXPECT_EQ(c_.halfAtEnd[n & 1], end - halfFrames_ <= 0 ? 1 : 0) << "half " << n;
    end -= halfFrames_;
  }
  EXPECT_EQ(gEngineError.load(), 0);
}
