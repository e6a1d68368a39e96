// Reading and writing a track's samples: the encoding classes, single samples in both byte
// orders, stores that hold to the width instead of wrapping, zero-crossing searches, and
// frames read from regions in real files (silent regions, short reads and the zero-filled rest).
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "audio/engine/region_lookup.h"
#include "audio/streams/stream_reads.h"
#include "media/track_audio/sample_access.h"
#include "media/track_audio/track_audio.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/documents/document_file.h"
#include "song/documents/media_references.h"
#include "tests/audio/streams/pcm_file_header.h"
#include "tests/test_support.h"

namespace {

TEST(SampleClasses, FollowTheTableInItsOrder) {
  struct Case {
    OSType code;
    int16_t bits;
    int16_t cls;
    bool bigEndianReadable;
  } cases[] = {
      {FourCC("NONE"), 16, 2, true}, {FourCC("twos"), 16, 2, true}, {FourCC("in24"), 24, 2, true}, {FourCC("lpcm"), 8, 0, false},
      {FourCC("lpcm"), 16, 0, false}, {FourCC("sowt"), 8, 2, false},  // the 8-bit rule comes before the little-endian codes
      {FourCC("sowt"), 16, 4, false}, {FourCC("23ni"), 32, 4, false}, {FourCC("in32"), 32, 0, false}, {FourCC("fl32"), 32, 3, true},
      {FourCC("raw "), 8, 1, true},   {FourCC("ACE2"), 8, 0, false},  {FourCC("MAC6"), 8, 0, false}, {FourCC("NONE"), 40, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.cls, ClassifySampleEncoding(c.code, c.bits)) << std::hex << c.code << " " << c.bits;
    EXPECT_EQ(c.bigEndianReadable, IsBigEndianReadable(c.code, c.bits)) << std::hex << c.code << " " << c.bits;
  }
  EXPECT_EQ(kSampleClassUnsigned, ClassifySampleEncoding(0, 16));
  uint32_t active = 1, idle = 0;
  EXPECT_EQ(0, ClassifyDecodedEncoding(FourCC("NONE"), 16, &active));
  EXPECT_EQ(2, ClassifyDecodedEncoding(FourCC("NONE"), 40, &idle));  // the converter gives 16 bits
  EXPECT_EQ(0, ClassifyDecodedEncoding(FourCC("NONE"), 40, nullptr));
  EXPECT_EQ(65536.0f, PowerOfTwo(16));
}

TEST(SingleSamples, ReadBothByteOrdersOfEveryWidthOnTheRightChannel) {
  // Stereo frames; frame 1 channel 1 holds -2 in each width, its neighbours other values.
  for (int16_t bytes = 1; bytes <= 4; ++bytes) {
    std::vector<uint8_t> big(size_t(4 * bytes), 0x11), little(size_t(4 * bytes), 0x11);
    uint8_t* b = big.data() + 3 * bytes;
    uint8_t* l = little.data() + 3 * bytes;
    for (int16_t i = 0; i < bytes; ++i) b[i] = l[i] = 0xFF;
    b[bytes - 1] = 0xFE;
    l[0] = 0xFE;
    EXPECT_EQ(-2, ReadBigEndianSample(big.data(), bytes, 2, 1, 1)) << bytes;
    EXPECT_EQ(-2, ReadLittleEndianSample(little.data(), bytes, 2, 1, 1)) << bytes;
    EXPECT_NE(-2, ReadBigEndianSample(big.data(), bytes, 2, 0, 1)) << bytes;
  }
  uint8_t unsignedBytes[4] = {0x00, 0x80, 0xFF, 0x01};
  EXPECT_EQ(0xFF, ReadUnsignedSample(unsignedBytes, 8, 2, 0, 1));
  EXPECT_EQ(0xFF01, ReadUnsignedSample(unsignedBytes, 16, 1, 0, 1));
}

TEST(SingleSamples, StoresTruncateTowardZeroAndHoldToTheWidth) {
  struct Case {
    double value;
    int16_t bits;
    bool floatFile;
    std::vector<uint8_t> want;
  } cases[] = {
      {40000.0, 16, false, {0x7F, 0xFF}},   {-40000.0, 16, false, {0x80, 0x00}},
      {-1.9, 16, false, {0xFF, 0xFF}},      {1.9, 8, false, {0x01}},
      {300.0, 8, false, {0x7F}},            {-8388609.0, 24, false, {0x80, 0x00, 0x00}},
      {1000.5, 24, false, {0x00, 0x03, 0xE8}}, {0.25, 32, true, {0x3E, 0x80, 0x00, 0x00}},
      {3e9, 32, false, {0x7F, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> buffer(16, 0xAA);
    WriteSampleValue(c.value, c.floatFile, buffer.data(), c.bits, 2, 1, 1);
    size_t at = 3 * c.want.size();
    EXPECT_EQ(c.want, std::vector<uint8_t>(buffer.begin() + long(at), buffer.begin() + long(at + c.want.size())))
        << c.value << " " << c.bits;
    EXPECT_EQ(0xAA, buffer[at - 1]) << "the neighbour stays";
  }
}

std::vector<uint8_t> Int16Frames(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) WriteI16BE(&out[2 * i], samples[i]);
  return out;
}

TEST(ZeroCrossings, FindTheExactZeroOrTheSignChangeWithinTheTolerance) {
  std::vector<uint8_t> silence(64, 0);
  EXPECT_EQ(5, FindZeroCrossing(silence.data(), 5, 1, 32, 16, 1, 0, kSampleClassSignedBig));
  auto ramp = Int16Frames({-300, -200, -100, -3, 40, 140, 0, 90});
  // Tolerance 0: only the exact zero at 6, in both directions from 2 and from 7.
  EXPECT_EQ(6, FindZeroCrossing(ramp.data(), 2, 1, 8, 16, 1, 0, kSampleClassSignedBig));
  EXPECT_EQ(6, FindZeroCrossing(ramp.data(), 7, -1, 8, 16, 1, 0, kSampleClassSignedBig));
  // Tolerance 5: the change from -3 to 40; only the frame before lies within: 16-bit takes it.
  EXPECT_EQ(3, FindZeroCrossing(ramp.data(), 0, 1, 8, 16, 1, 5, kSampleClassSignedBig));
  // Tolerance 64: 40 is within: the frame reached.
  EXPECT_EQ(4, FindZeroCrossing(ramp.data(), 0, 1, 8, 16, 1, 64, kSampleClassSignedBig));
  auto away = Int16Frames({-300, -200, 500, 600});
  EXPECT_EQ(-1, FindZeroCrossing(away.data(), 0, 1, 4, 16, 1, 64, kSampleClassSignedBig));
  std::vector<uint8_t> unsigned8 = {10, 60, 128, 200};
  EXPECT_EQ(2, FindZeroCrossing(unsigned8.data(), 0, 1, 4, 8, 1, 0, kSampleClassUnsigned));
}

// Two files in the song's referenced-file table and regions over them.
class RegionFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = GetDocumentSlot(kReferencedFilesSlot);
    table_ = NewHandleClear(2 * kReferencedFileSize);
    for (int32_t f = 0; f < 2; ++f) {
      std::vector<int16_t> samples;
      for (int32_t i = 0; i < 100; ++i) samples.push_back(int16_t((f + 1) * 1000 + i));
      std::vector<uint8_t> bytes(10, 0x77);
      auto frames = Int16Frames(samples);
      bytes.insert(bytes.end(), frames.begin(), frames.end());
      std::string path = folder_.File("f" + std::to_string(f));
      ASSERT_TRUE(zarin_test::WriteWholeFile(path, std::string(bytes.begin(), bytes.end())));
      forks_[f] = stream_test::OpenReadFork(path);
      WriteU32BE(*table_ + f * kReferencedFileSize + kRefFork, uint32_t(forks_[f]));
    }
    SetDocumentSlot(kReferencedFilesSlot, table_);
  }
  void TearDown() override {
    SetDocumentSlot(kReferencedFilesSlot, saved_);
    DisposeHandle(table_);
    for (FSIORefNum f : forks_) FSCloseFork(f);
  }
  // Regions {file (or -1 silent), first frame in the file, frames}.
  static Handle Regions(const std::vector<std::array<int32_t, 3>>& specs) {
    Handle list = NewHandleClear(Size(specs.size()) * kRegionSize);
    for (size_t i = 0; i < specs.size(); ++i) {
      uint8_t* r = reinterpret_cast<uint8_t*>(*list) + i * kRegionSize;
      r[kRegionBytesPerFrameAt] = 2;
      if (specs[i][0] < 0) WriteU16BE(r + kRegionFlagsAt, kRegionFlagSilent);
      else WriteU16BE(r + kRegionFileIndexAt, uint16_t(specs[i][0]));
      WriteU32BE(r + kRegionFileOffsetAt, uint32_t(10 + 2 * specs[i][1]));
      SetRegionLength(r, specs[i][2]);
    }
    return list;
  }
  zarin_test::TempFolder folder_;
  Handle table_, saved_;
  FSIORefNum forks_[2] = {0, 0};
};

TEST_F(RegionFrames, AListReadsEachRegionFromItsFileAndZeroFillsTheRest) {
  Handle list = Regions({{1, 5, 3}, {-1, 0, 2}, {0, 50, 4}});
  std::vector<uint8_t> buffer(40, 0xEE);
  ASSERT_EQ(noErr, ReadRegionListFrames(buffer.data(), 1, list, 100, int32_t(buffer.size())));
  std::vector<int16_t> want = {2006, 2007, 0, 0, 1050, 1051, 1052, 1053};
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(want[i], ReadI16BE(&buffer[2 * i])) << i;
  for (size_t i = 2 * want.size(); i < buffer.size(); ++i) EXPECT_EQ(0, buffer[i]) << i;
  DisposeHandle(list);
}

TEST_F(RegionFrames, ASilentRegionSaysSoAndARegionWithoutAFrameSizeIsRefused) {
  Handle list = Regions({{-1, 0, 8}, {0, 0, 8}});
  uint8_t* region = reinterpret_cast<uint8_t*>(*list);
  std::vector<uint8_t> buffer(32, 0xEE);
  int64_t got = 0;
  bool silent = false;
  ASSERT_EQ(noErr, ReadRegionFrames(buffer.data(), 2, region, 6, 10, &got, &silent));
  EXPECT_EQ(2, got);  // limited to the frames left in the region
  EXPECT_TRUE(silent);
  EXPECT_EQ(0xEE, buffer[1]);
  EXPECT_EQ(0, buffer[2]);
  EXPECT_EQ(0xEE, buffer[6]);
  region[kRegionSize + kRegionBytesPerFrameAt] = 0;
  EXPECT_EQ(kNoFrameSizeErr, ReadRegionFrames(buffer.data(), 0, region + kRegionSize, 0, 1, &got, &silent));
  DisposeHandle(list);
}

TEST_F(RegionFrames, ASnapGoesToTheNearerCrossingOfTheRecordsAudio) {
  // Both files hold positive ramps: the only crossings are the silent region in the middle.
  Handle record;
  uint8_t slot[4] = {0, 0, 0, 0};
  ASSERT_EQ(noErr, AllocTrackAudio(slot));
  record = Handle(ReadU32BE(slot));
  TrackAudioView v = ViewTrackAudio(record);
  v.SetEncoding(FourCC("NONE"));
  v.SetBitsPerSample(16);
  v.SetChannels(1);
  v.SetRegions(Regions({{0, 0, 40}, {-1, 0, 5}, {1, 0, 40}}));
  int64_t out = 0;
  EXPECT_EQ(noErr, SnapToZeroCrossing(record, 30, kSnapBackward | kSnapForward, &out, 0));
  EXPECT_EQ(40, out);
  EXPECT_EQ(noErr, SnapToZeroCrossing(record, 60, kSnapBackward | kSnapForward, &out, 0));
  EXPECT_EQ(44, out);
  EXPECT_EQ(kNoZeroCrossingErr, SnapToZeroCrossing(record, 30, kSnapBackward, &out, 0));
  EXPECT_EQ(30, out);
  EXPECT_EQ(paramErr, SnapToZeroCrossing(record, 60, 0, &out, 0));
  DisposeTrackAudio(slot);
}

}  // namespace
