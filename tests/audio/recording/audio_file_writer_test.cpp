// The headers the program writes, read back by readers of their own (libsndfile and `sox
// --i`) and by ours: the right rate, width, channels and length, the sound data where the
// header says, for AIFF, AIFF-C and CAF, written as a recording writes them (a header of
// unknown length first, the audio, then the final header over the first).
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/recording/aiff_header.h"
#include "audio/recording/audio_file_header.h"
#include "audio/recording/caf_header.h"
#include "platform/files/file_faults.h"
#include "platform/memory/byte_order.h"
#include "sequencer/midi/coremidi_driver.h"
#include "tests/audio/recording/header_files.h"

using zarin_test::ForkFile;

namespace {

struct SampleFormat {
  int16_t bits;
  OSType code;
  int sndfileSubtype;
  const char* soxEncoding;
};

const SampleFormat kSampleFormats[] = {
    {8, kFormatNone, SF_FORMAT_PCM_S8, "Signed Integer PCM"},
    {16, kFormatNone, SF_FORMAT_PCM_16, "Signed Integer PCM"},
    {24, kFormatInt24, SF_FORMAT_PCM_24, "Signed Integer PCM"},
    {32, kFormatFloat32, SF_FORMAT_FLOAT, "Floating Point PCM"},
};

constexpr int32_t kFrames = 1001;

// Sample n of side s: a ramp in the width's range (floats in -1..1), stored big-endian.
double SampleValue(const SampleFormat& f, int32_t n, int32_t side) {
  double x = (n * 2.0 / kFrames - 1.0) * (side ? -0.5 : 0.9);
  return f.code == kFormatFloat32 ? double(float(x)) : std::round(x * std::ldexp(1.0, f.bits - 1));
}

std::vector<uint8_t> SoundData(const SampleFormat& f, int16_t channels) {
  std::vector<uint8_t> bytes;
  for (int32_t n = 0; n < kFrames; ++n)
    for (int32_t side = 0; side < channels; ++side) {
      double v = SampleValue(f, n, side);
      uint8_t b[4];
      if (f.code == kFormatFloat32) {
        WriteF32BE(b, float(v));
      } else {
        WriteU32BE(b, uint32_t(int32_t(v) << (32 - f.bits)));
      }
      bytes.insert(bytes.end(), b, b + f.bits / 8);
    }
  return bytes;
}

std::string Sox(const std::string& option, const std::string& path) {
  std::string command = "sox --i " + option + " '" + path + "' 2>&1";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return "";
  std::string out;
  char buf[256];
  while (fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// The recording's way: header with length unknown, the audio, the final header at 0.
void WriteAsARecording(int16_t fork, OSType type, int16_t channels, const SampleFormat& f, double rate,
                       const std::vector<uint8_t>& data) {
  ASSERT_EQ(WriteAudioFileHeader(fork, channels, f.bits, f.code, 0, rate, type), noErr);
  SInt64 dataOffset = 0;
  ASSERT_EQ(FSGetForkPosition(fork, &dataOffset), noErr);
  ASSERT_EQ(FSWriteFork(fork, fsAtMark, 0, data.size(), data.data(), nullptr), noErr);
  ASSERT_EQ(FSSetForkPosition(fork, fsFromStart, 0), noErr);
  ASSERT_EQ(WriteAudioFileHeader(fork, channels, f.bits, f.code, data.size(), rate, type), noErr);
  SInt64 end = 0;
  ASSERT_EQ(FSGetForkPosition(fork, &end), noErr);
  EXPECT_EQ(end, dataOffset) << "the final header has the first one's length";
}

class WrittenHeader : public ::testing::TestWithParam<std::tuple<OSType, int16_t, SampleFormat, double>> {};

TEST_P(WrittenHeader, OtherReadersFindTheRateWidthChannelsLengthAndSamples) {
  const auto& [type, channels, format, rate] = GetParam();
  ForkFile file;
  ASSERT_NE(file.fork(), 0);
  std::vector<uint8_t> data = SoundData(format, channels);
  WriteAsARecording(file.fork(), type, channels, format, rate, data);
  FSFlushFork(file.fork());

  SF_INFO info{};
  SNDFILE* sf = sf_open(file.path().c_str(), SFM_READ, &info);
  ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(info.samplerate, int(rate));
  EXPECT_EQ(info.channels, channels);
  EXPECT_EQ(info.frames, kFrames);
  EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, type == kAiffFileType ? SF_FORMAT_AIFF : SF_FORMAT_CAF);
  EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, format.sndfileSubtype);
  sf_command(sf, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
  std::vector<double> got(size_t(kFrames) * channels);
  EXPECT_EQ(sf_readf_double(sf, got.data(), kFrames), kFrames);
  sf_close(sf);
  for (int32_t n = 0; n < kFrames; n += 50)
    for (int32_t side = 0; side < channels; ++side)
      ASSERT_EQ(got[size_t(n * channels + side)], SampleValue(format, n, side)) << "frame " << n;

  EXPECT_EQ(Sox("-r", file.path()), std::to_string(int(rate)));
  EXPECT_EQ(Sox("-c", file.path()), std::to_string(channels));
  EXPECT_EQ(Sox("-b", file.path()), std::to_string(format.bits));
  EXPECT_EQ(Sox("-s", file.path()), std::to_string(kFrames));
  EXPECT_EQ(Sox("-e", file.path()), format.soxEncoding);

  uint8_t desc[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t offset = 0;
  float readRate = 0;
  ASSERT_EQ(FSSetForkPosition(file.fork(), fsFromStart, 0), noErr);
  ASSERT_EQ(ReadAudioFileHeader(file.fork(), desc, &frames, &offset, &readRate), noErr);
  EXPECT_EQ(ReadU32BE(desc + kSoundDescFormat), format.code == kFormatFloat32 ? kFormatFloat32 : kFormatNone);
  EXPECT_EQ(ReadI16BE(desc + kSoundDescChannels), channels);
  EXPECT_EQ(ReadI16BE(desc + kSoundDescBits), format.bits);
  EXPECT_EQ(ReadU32BE(desc + kSoundDescRate), RateToFixed(rate));
  EXPECT_EQ(readRate, float(rate));
  EXPECT_EQ(frames, uint64_t(kFrames));
  std::vector<uint8_t> bytes = file.Bytes();
  ASSERT_EQ(bytes.size(), offset + data.size());
  EXPECT_TRUE(std::equal(data.begin(), data.end(), bytes.begin() + offset)) << "the sound data where it says";
}

std::string WrittenName(const ::testing::TestParamInfo<WrittenHeader::ParamType>& info) {
  const auto& [type, channels, format, rate] = info.param;
  return std::string(type == kAiffFileType ? "aiff" : "caf") + (channels == 1 ? "_mono_" : "_stereo_") +
         std::to_string(format.bits) + "bit_" + std::to_string(int(rate));
}

INSTANTIATE_TEST_SUITE_P(Formats, WrittenHeader,
                         ::testing::Combine(::testing::Values(kAiffFileType, kCafFileType),
                                            ::testing::Values(int16_t(1), int16_t(2)),
                                            ::testing::ValuesIn(kSampleFormats),
                                            ::testing::Values(44100.0, 96000.0, 22050.0)),
                         WrittenName);

TEST(AiffHeader, TwentyFourBitsArePlainAiffAndTheRateIsExactAboveSixteenBitsOfHertz) {
  struct Case {
    OSType code;
    int16_t bits;
    double rate;
    const char* form;
    int16_t storedBits;
  } cases[] = {{kFormatInt24, 24, 96000.0, "AIFF", 24}, {kFormatInt24, 16, 44100.0, "AIFF", 24},
               {kFormatNone, 16, 44100.0, "AIFF", 16}, {kFormatFloat32, 32, 88200.0, "AIFC", 32},
               {kFormatNone, 16, 65536.0, "AIFF", 16}, {kFormatNone, 16, 22050.0, "AIFF", 16}};
  for (const Case& c : cases) {
    ForkFile file;
    ASSERT_EQ(WriteAiffHeader(file.fork(), 2, c.bits, c.code, 1000u * 2 * uint32_t(c.storedBits / 8), 0, c.rate),
              noErr);
    std::vector<uint8_t> bytes = file.Bytes();
    ASSERT_EQ(int32_t(bytes.size()), AiffHeaderLength(c.code));
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), c.form);
    bool aifc = c.code == kFormatFloat32;
    size_t comm = aifc ? 24 : 12;
    ASSERT_EQ(ReadU32BE(&bytes[comm]), FourCC("COMM"));
    EXPECT_EQ(ReadI16BE(&bytes[comm + 14]), c.storedBits);
    EXPECT_EQ(ReadExtended80(&bytes[comm + 16]), c.rate) << c.rate;
    if (aifc) {
      EXPECT_EQ(ReadU32BE(&bytes[comm + 26]), kFormatFloat32);
    }
    EXPECT_EQ(ReadU32BE(&bytes[comm + 10]), 1000u) << "frames from the byte count";
  }
}

TEST(AiffHeader, AudioBeyondWhatTheSizesHoldIsRefusedAndNothingIsWritten) {
  // A take past 4 GiB: the FORM size would wrap. Exactly the limit still fits.
  for (OSType code : {kFormatNone, kFormatFloat32}) {
    ForkFile file;
    uint64_t limit = MaxAiffAudioBytes(code);
    EXPECT_EQ(WriteAiffHeader(file.fork(), 2, 16, code, limit + 1, 0, 44100.0), kAudioFileTooLargeErr);
    EXPECT_EQ(WriteAudioFileHeader(file.fork(), 2, 16, code, 5ull << 30, 44100.0, kAiffFileType),
              kAudioFileTooLargeErr);
    EXPECT_TRUE(file.Bytes().empty());
    ASSERT_EQ(WriteAiffHeader(file.fork(), 2, 16, code, limit, 0, 44100.0), noErr);
    EXPECT_EQ(ReadU32BE(file.Bytes().data() + 4), 0xFFFFFFFFu);
  }
}

TEST(AiffHeader, TheRatePatchWalksPastOddChunksAndLeavesMalformedFilesAlone) {
  // FORM, an odd-sized chunk with its pad byte, then COMM.
  std::vector<uint8_t> good = {'F', 'O', 'R', 'M', 0, 0, 0, 50, 'A', 'I', 'F', 'F', 'A', 'N', 'N', 'O', 0, 0, 0, 3,
                               'a', 'b', 'c', 0, 'C', 'O', 'M', 'M', 0, 0, 0, 18};
  good.resize(good.size() + 18, 0);
  ForkFile file(good);
  PatchAiffSampleRate(file.fork(), 192000.0);
  EXPECT_EQ(ReadExtended80(file.Bytes().data() + 32 + 8), 192000.0);

  struct Malformed {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"no COMM", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F', 'S', 'S', 'N', 'D', 0, 0, 0, 0}},
      {"COMM cut short", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F', 'C', 'O', 'M', 'M', 0, 0, 0, 18, 1, 2}},
      {"COMM too small", {'C', 'O', 'M', 'M', 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"chunk past the end", {'J', 'U', 'N', 'K', 0xFF, 0xFF, 0xFF, 0xFF, 'C', 'O', 'M', 'M'}},
      {"empty", {}},
  };
  for (const Malformed& m : cases) {
    ForkFile bad(m.bytes);
    PatchAiffSampleRate(bad.fork(), 96000.0);
    EXPECT_EQ(bad.Bytes(), m.bytes) << m.what;
  }
}

TEST(CafHeader, ARecordingHeaderHasTheStatedBytesAndReadsBack) {
  ForkFile file;
  ASSERT_EQ(WriteCafHeader(file.fork(), 2, 16, kFormatNone, 0, 44100.0), noErr);
  std::vector<uint8_t> audio(4000, 0x11);
  ASSERT_EQ(FSWriteFork(file.fork(), fsAtMark, 0, audio.size(), audio.data(), nullptr), noErr);
  std::vector<uint8_t> b = file.Bytes();
  ASSERT_EQ(b.size(), 68u + 4000u);
  EXPECT_EQ(ReadU32BE(&b[0]), FourCC("caff"));
  EXPECT_EQ(ReadU16BE(&b[4]), 1);
  EXPECT_EQ(ReadI64BE(&b[12]), 32);
  EXPECT_EQ(ReadF64BE(&b[20]), 44100.0);
  EXPECT_EQ(ReadU32BE(&b[28]), FourCC("lpcm"));
  EXPECT_EQ(ReadU32BE(&b[32]), 0u);
  EXPECT_EQ(ReadU32BE(&b[36]), 4u);
  EXPECT_EQ(ReadU32BE(&b[52]), FourCC("data"));
  EXPECT_EQ(ReadI64BE(&b[56]), -1) << "length not known yet";
  EXPECT_EQ(ReadU32BE(&b[64]), 0u);

  uint8_t desc[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t offset = 0;
  float rate = 0;
  ASSERT_EQ(FSSetForkPosition(file.fork(), fsFromStart, 0), noErr);
  ASSERT_EQ(ReadAudioFileHeader(file.fork(), desc, &frames, &offset, &rate), noErr);
  EXPECT_EQ(ReadU32BE(desc + kSoundDescFormat), kFormatNone);
  EXPECT_EQ(ReadI16BE(desc + kSoundDescChannels), 2);
  EXPECT_EQ(ReadI16BE(desc + kSoundDescBits), 16);
  EXPECT_EQ(ReadU32BE(desc + kSoundDescRate), 0xAC440000u);
  EXPECT_EQ(rate, 44100.0f);
  EXPECT_EQ(offset, 68u);
  EXPECT_EQ(frames, 1000u);
}

TEST(CafHeader, EightBitAndFloatHeadersSayLinearPcmAndReadBackTheirFormat) {
  struct Case {
    int16_t bits;
    OSType code;
    uint32_t flags;
    OSType readBack;
  } cases[] = {{8, kFormatNone, 0, kFormatNone}, {8, FourCC("twos"), 0, kFormatNone},
               {32, kFormatFloat32, 1, kFormatFloat32}, {24, kFormatNone, 0, kFormatNone}};
  for (const Case& c : cases) {
    ForkFile file;
    ASSERT_EQ(WriteCafHeader(file.fork(), 1, c.bits, c.code, 100 * (c.bits / 8), 48000.0), noErr);
    std::vector<uint8_t> filler(size_t(100 * (c.bits / 8)), 0);
    FSWriteFork(file.fork(), fsAtMark, 0, filler.size(), filler.data(), nullptr);
    std::vector<uint8_t> b = file.Bytes();
    EXPECT_EQ(ReadU32BE(&b[28]), FourCC("lpcm")) << c.bits;
    EXPECT_EQ(ReadU32BE(&b[32]), c.flags);
    uint8_t desc[kSoundDescSize] = {};
    uint64_t frames = 0;
    uint32_t offset = 0;
    float rate = 0;
    FSSetForkPosition(file.fork(), fsFromStart, 0);
    ASSERT_EQ(ReadCafHeader(file.fork(), desc, &frames, &offset, &rate, false), noErr);
    EXPECT_EQ(ReadU32BE(desc + kSoundDescFormat), c.readBack);
    EXPECT_EQ(frames, 100u);
  }
}

TEST(CafHeader, WritingStopsAtTheFirstFailingWrite) {
  ForkFile file;
  InjectFileFault(kFileFaultWrite, 3, dskFulErr);
  EXPECT_EQ(WriteCafHeader(file.fork(), 2, 16, kFormatNone, 0, 44100.0), dskFulErr);
  ClearFileFault();
  EXPECT_EQ(file.Bytes().size(), 20u) << "the file header and the desc chunk header only";
}

TEST(AiffHeader, AFailedHeaderWriteIsReportedAndNoRateIsPatched) {
  ForkFile file;
  InjectFileFault(kFileFaultWrite, 1, dskFulErr);
  EXPECT_EQ(WriteAiffHeader(file.fork(), 2, 16, kFormatNone, 0, 0, 96000.0), dskFulErr);
  ClearFileFault();
  EXPECT_TRUE(file.Bytes().empty());
}

TEST(AudioFileHeader, ThePreferenceBitPicksAiffOrCafAndOtherTypesWriteNothing) {
  uint16_t saved = gMidiPrefs;
  for (bool aiff : {true, false}) {
    gMidiPrefs = aiff ? uint16_t(saved | kMidiPrefAiffFiles) : uint16_t(saved & ~kMidiPrefAiffFiles);
    ForkFile file;
    ASSERT_EQ(CreateAudioRecordFile(file.fork(), 2, 16, kFormatNone, 0, 44100.0), noErr);
    EXPECT_EQ(ReadU32BE(file.Bytes().data()), aiff ? FourCC("FORM") : FourCC("caff"));
  }
  gMidiPrefs = saved;
  ForkFile file;
  EXPECT_EQ(WriteAudioFileHeader(file.fork(), 2, 16, kFormatNone, 0, 44100.0, FourCC("WAVE")), unimpErr);
  EXPECT_TRUE(file.Bytes().empty());
}

}  // namespace
