// The sample source of long operations: a file read directly (integers widened to Float32 in
// place, 'fl32' as it is, the end of the file no error) and a media's samples decoded by the
// Sound Converter through the fill procedure, whose last buffer is not dropped.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media/sound_converter_source.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "tests/media/ogg_files.h"
#include "tests/test_support.h"

using namespace zarin_test;

namespace {

// Sample n of side s of a ramp in the width's range, the sides apart.
int32_t RampValue(int32_t n, int32_t side, int16_t bits) {
  int32_t full = int32_t(1) << (bits - 1);
  int32_t v = (n * 37 + side * 1000) % (2 * full) - full;
  return v;
}

std::string RampBytes(int32_t frames, int16_t channels, int16_t bits) {
  std::string bytes;
  for (int32_t n = 0; n < frames; ++n)
    for (int32_t s = 0; s < channels; ++s) {
      uint8_t b[4];
      WriteU32BE(b, uint32_t(RampValue(n, s, bits)) << (32 - bits));
      bytes.append(reinterpret_cast<char*>(b), size_t(bits / 8));
    }
  return bytes;
}

TEST(SoundConverterSource, DirectFilesBecomeFloatInOrderAndTheEndIsNoError) {
  constexpr int32_t kFrames = 1001;
  constexpr int32_t kAsk = 300;
  for (int16_t bits : {8, 16, 24}) {
    for (int16_t channels : {1, 2}) {
      SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(channels) + " channels");
      TempFolder tmp;
      ASSERT_TRUE(WriteWholeFile(tmp.File("ramp"), RampBytes(kFrames, channels, bits)));
      FSSpec spec = SpecFor(tmp.File("ramp"));
      ConvertedSampleSource source;
      ASSERT_EQ(FSpOpenDF(&spec, fsRdPerm, &source.inputFile), noErr);
      source.format = FourCC("NONE");
      source.channels = channels;
      source.sampleSize = bits;
      source.bytesPerFrame = uint16_t(channels * bits / 8);
      std::vector<float> all;
      std::vector<float> buffer(size_t(kAsk) * size_t(channels), -7.0f);
      int32_t got = 0;
      while ((got = TransferConvertedSamples(buffer.data(), kTransferRead, kAsk, &source)) > 0)
        all.insert(all.end(), buffer.begin(), buffer.begin() + got * channels);
      EXPECT_EQ(source.lastError, noErr);
      ASSERT_EQ(all.size(), size_t(kFrames) * size_t(channels));
      for (int32_t n = 0; n < kFrames; ++n)
        for (int32_t s = 0; s < channels; ++s)
          ASSERT_EQ(all[size_t(n * channels + s)], float(RampValue(n, s, bits))) << "frame " << n;
      FSClose(source.inputFile);
    }
  }
}

TEST(SoundConverterSource, FloatFilesPassAsTheyAreAndWritesGoToTheOutput) {
  TempFolder tmp;
  std::string bytes;
  for (int i = 0; i < 64; ++i) {
    uint8_t b[4];
    WriteF32BE(b, float(i) / 64.0f - 0.5f);
    bytes.append(reinterpret_cast<char*>(b), 4);
  }
  ASSERT_TRUE(WriteWholeFile(tmp.File("floats"), bytes));
  ASSERT_TRUE(WriteWholeFile(tmp.File("out"), ""));
  FSSpec in = SpecFor(tmp.File("floats")), out = SpecFor(tmp.File("out"));
  ConvertedSampleSource source;
  ASSERT_EQ(FSpOpenDF(&in, fsRdPerm, &source.inputFile), noErr);
  ASSERT_EQ(FSpOpenDF(&out, fsRdWrPerm, &source.outputFile), noErr);
  source.format = FourCC("fl32");
  source.channels = 2;
  source.sampleSize = 32;
  source.bytesPerFrame = 8;
  std::vector<uint8_t> buffer(256);
  EXPECT_EQ(TransferConvertedSamples(buffer.data(), kTransferRead, 40, &source), 32);
  EXPECT_EQ(std::memcmp(buffer.data(), bytes.data(), bytes.size()), 0);
  EXPECT_EQ(TransferConvertedSamples(buffer.data(), kTransferWrite, 100, &source), 100);
  EXPECT_EQ(TransferConvertedSamples(buffer.data(), 7, 10, &source), 0);
  FSClose(source.inputFile);
  FSClose(source.outputFile);
  EXPECT_EQ(ReadWholeFile(tmp.File("out")), std::string(reinterpret_cast<char*>(buffer.data()), 100));

  ConvertedSampleSource noFrames;
  EXPECT_EQ(TransferConvertedSamples(buffer.data(), kTransferRead, 10, &noFrames), 0);
  EXPECT_EQ(noFrames.lastError, -50);
}

// A media of 16-bit big-endian stereo samples, handed out a piece at a time.
struct FakeMedia {
  std::string bytes;
  int32_t framesPerSample = 700;
  bool failAt = false;
};

OSErr FetchFromFakeMedia(void* media, Handle samples, int32_t maxSize, int64_t time, int32_t* size,
                         int64_t* sampleTime, int32_t* durationPerSample, int32_t* sampleCount) {
  auto* m = static_cast<FakeMedia*>(media);
  int64_t frames = int64_t(m->bytes.size()) / 4;
  int32_t count = int32_t(std::min<int64_t>(m->framesPerSample, frames - time));
  if (count * 4 > maxSize) count = maxSize / 4;
  SetHandleSize(samples, count * 4);
  std::memcpy(HandleData(samples), m->bytes.data() + time * 4, size_t(count) * 4);
  *size = count * 4;
  *sampleTime = time;
  *durationPerSample = 1;
  *sampleCount = count;
  return m->failAt && time > 0 ? OSErr(-2010) : OSErr(noErr);
}

TEST(SoundConverterSource, DecodedMediaDeliversEveryFrameIncludingTheLastBuffer) {
  constexpr int32_t kFrames = 5003;
  FakeMedia media;
  media.bytes = RampBytes(kFrames, 2, 16);
  ConverterMediaSource m;
  m.samples = NewHandle(0);
  m.media = &media;
  m.fetch = FetchFromFakeMedia;
  m.endTime = kFrames;
  m.maxSampleSize = 1 << 20;
  SoundComponentData in, out;
  in.format = out.format = FourCC("twos");
  in.numChannels = out.numChannels = 2;
  in.sampleSize = out.sampleSize = 16;
  in.sampleRate = out.sampleRate = 22050u << 16;
  ConvertedSampleSource source;
  ASSERT_EQ(SoundConverterOpen(&in, &out, &source.converter), noErr);
  ASSERT_EQ(SoundConverterBeginConversion(source.converter), noErr);
  source.media = &m;
  source.useConverter = 1;
  source.bytesPerFrame = 4;
  std::string all;
  std::vector<uint8_t> buffer(1024 * 4);
  int32_t got = 0;
  while ((got = TransferConvertedSamples(buffer.data(), kTransferRead, 1024, &source)) > 0)
    all.append(reinterpret_cast<char*>(buffer.data()), size_t(got) * 4);
  EXPECT_EQ(source.lastError, noErr);
  EXPECT_EQ(all.size(), media.bytes.size());
  // The converter's output is in the host's order.
  size_t first = 0;
  while (first + 1 < all.size() &&
         *reinterpret_cast<const int16_t*>(all.data() + first) ==
             int16_t(ReadU16BE(reinterpret_cast<const uint8_t*>(media.bytes.data()) + first)))
    first += 2;
  EXPECT_EQ(first, all.size()) << "the decoded frames are the media's, in order";
  SoundConverterClose(source.converter);
  DisposeHandle(m.samples);
}

TEST(SoundConverterSource, AFailingFetchEndsTheSource) {
  FakeMedia media;
  media.bytes = RampBytes(2000, 2, 16);
  media.failAt = true;
  ConverterMediaSource m;
  m.samples = NewHandle(0);
  m.media = &media;
  m.fetch = FetchFromFakeMedia;
  m.endTime = 2000;
  m.maxSampleSize = 1 << 20;
  m.compressed = 1;
  SoundComponentData* data = nullptr;
  EXPECT_TRUE(FillConverterBufferFromMedia(&data, &m));
  EXPECT_EQ(data->sampleCount, 700 * 4);
  EXPECT_EQ(m.currentTime, 700);
  EXPECT_EQ(m.bytesPerPacket, 4);
  EXPECT_FALSE(FillConverterBufferFromMedia(&data, &m));
  EXPECT_EQ(data->sampleCount, 0);
  EXPECT_EQ(data->buffer, nullptr);
  EXPECT_FALSE(FillConverterBufferFromMedia(&data, &m));
  DisposeHandle(m.samples);
}

}  // namespace
