// Decoding audio files as a stream does: each half gets the next input block of the file's
// sample data, the channel's decode procedure turns it into the engine's format, and the
// blocks laid end to end must be the file's samples exactly. Files are written at test time
// with libsndfile (a ramp that covers every byte of the sample width), headers are read here,
// and a compressed file is compared with what libsndfile itself decodes from it.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/streams/stream_decoders.h"
#include "tests/audio/streams/pcm_file_header.h"

namespace {

using stream_test::FileFormat;
using stream_test::ParseHeader;
using stream_test::ReadAll;

constexpr float kRate = 44100.0f;
constexpr int32_t kFrames = 20000;  // many halves at the small buffer setting below
constexpr int32_t kBlockFrames = 64;

// A ramp of `frames` frames in 32-bit steps that walk every byte of a narrower width; the
// right side runs the other way.
std::vector<int32_t> Ramp(int32_t frames, int32_t channels) {
  std::vector<int32_t> v(size_t(frames) * size_t(channels));
  for (int32_t i = 0; i < frames; ++i)
    for (int32_t c = 0; c < channels; ++c)
      v[size_t(i) * size_t(channels) + size_t(c)] = int32_t(uint32_t(c ? frames - i : i) * 0x00C35A17u);
  return v;
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("zarin_decode_" + std::to_string(getpid()) + "_" + name)).string();
}

bool WriteFile(const std::string& path, int format, int32_t channels, const std::vector<int32_t>& samples, bool asFloat) {
  SF_INFO info{};
  info.samplerate = int(kRate);
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  if (asFloat) {
    std::vector<float> x(samples.size());
    for (size_t i = 0; i < x.size(); ++i) x[i] = float(samples[i] >> 16) / 32768.0f;  // exact in 16 bits
    sf_writef_float(f, x.data(), sf_count_t(x.size() / size_t(channels)));
  } else {
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_FALSE);
    sf_writef_int(f, samples.data(), sf_count_t(samples.size() / size_t(channels)));
  }
  return sf_close(f) == 0;
}

// What libsndfile decodes from the file, as 16-bit samples (its integer conversion keeps the
// upper bits; floats are scaled by 32768 here).
std::vector<int16_t> ReferenceSamples(const std::string& path, bool isFloat) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<int16_t> out;
  if (!f) return out;
  std::vector<int32_t> ints(size_t(info.frames) * size_t(info.channels));
  std::vector<float> floats(ints.size());
  if (isFloat) {
    sf_command(f, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    sf_readf_float(f, floats.data(), info.frames);
  } else {
    sf_readf_int(f, ints.data(), info.frames);
  }
  sf_close(f);
  out.resize(ints.size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = isFloat ? int16_t(floats[i] * 32768.0f) : int16_t(ints[i] >> 16);
  return out;
}

// Streams the file's data through the channel's decoder, half after half, as the disk worker
// does; answers the decoded 16-bit samples. The raw samples when no decoder was needed.
std::vector<int16_t> StreamThrough(EngineChannel* c, const FileFormat& f, size_t wanted) {
  std::vector<int16_t> out;
  if (!c->decodeProc) {
    for (size_t i = 0; i + 1 < f.data.size(); i += 2) out.push_back(int16_t((f.data[i] << 8) | f.data[i + 1]));
    return out;
  }
  std::vector<uint8_t> block(size_t(c->decodedBlockBytes));
  size_t read = 0;
  for (int32_t call = 0; call < 100000 && out.size() < wanted; ++call) {
    int32_t half = call & 1;
    size_t n = std::min(size_t(c->inputBytesPerCall), f.data.size() - read);
    std::memcpy(c->inputBuffers[half], f.data.data() + read, n);
    c->halfInputBytes[half] = uint32_t(n);
    read += n;
    EXPECT_EQ(c->decodeProc(c, half, block.data(), nullptr), 0) << "call " << call;
    const auto* s = reinterpret_cast<const int16_t*>(block.data());
    out.insert(out.end(), s, s + block.size() / 2);
  }
  return out;
}

struct PcmCase {
  const char* name;
  int sfFormat;
  int32_t channels;
  bool isFloat;
  bool expectDecoder;
};

class DecodePcmFiles : public ::testing::TestWithParam<PcmCase> {
 protected:
  void SetUp() override { gStreamBufferBytes = 4096; }
  void TearDown() override { gStreamBufferBytes = kDefaultStreamBufferBytes; }
};

TEST_P(DecodePcmFiles, AreDecodedBitExactAcrossManyHalves) {
  const PcmCase& p = GetParam();
  std::string path = TempPath(p.name);
  ASSERT_TRUE(WriteFile(path, p.sfFormat, p.channels, Ramp(kFrames, p.channels), p.isFloat));
  FileFormat f;
  ASSERT_TRUE(ParseHeader(ReadAll(path), &f));
  AudioFileDescription wave;
  wave.waveFormat = f.wave.data();
  wave.waveFormatBytes = uint32_t(f.wave.size());
  EngineChannel c;
  c.sourceFormat = f.format;
  c.sourceWidth = uint16_t(f.width);
  c.sourceChannels = f.channels;
  c.sourceRate = kRate;
  ASSERT_EQ(OpenSoundConverters(&c, kBlockFrames, 0, 16, 3, f.wave.empty() ? nullptr : &wave, false, kRate), 0);
  EXPECT_EQ(c.decodeProc != nullptr, p.expectDecoder);
  std::vector<int16_t> want = ReferenceSamples(path, p.isFloat);
  ASSERT_EQ(want.size(), size_t(kFrames) * size_t(p.channels));
  if (c.decodeProc) EXPECT_GT(want.size() * 2, size_t(c.decodedBlockBytes) * 4) << "the ramp crosses many halves";
  std::vector<int16_t> got = StreamThrough(&c, f, want.size());
  ASSERT_GE(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[i], want[i]) << p.name << " sample " << i;
  for (size_t i = want.size(); i < got.size(); ++i) ASSERT_EQ(got[i], 0) << "silence after the end, sample " << i;
  CloseStreamDecoder(&c);
  EXPECT_EQ(c.inputBuffers[0], nullptr);
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodePcmFiles,
    ::testing::Values(PcmCase{"aiff_s8_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 1, false, true},
                      PcmCase{"aiff_s16_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, false, false},
                      PcmCase{"aiff_s24_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1, false, true},
                      PcmCase{"aiff_s24_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, false, true},
                      PcmCase{"aiff_s32_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 2, false, true},
                      PcmCase{"aifc_float_stereo", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2, true, true},
                      PcmCase{"aifc_sowt16_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 1, false, true},
                      PcmCase{"aifc_sowt24_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_24 | SF_ENDIAN_LITTLE, 2, false, true},
                      PcmCase{"wav_u8_stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2, false, true},
                      PcmCase{"wav_s16_mono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, false, true},
                      PcmCase{"wav_s16_stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, false, true},
                      PcmCase{"wav_s24_stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, false, true},
                      PcmCase{"wav_s32_mono", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, false, true},
                      PcmCase{"wav_float_stereo", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, true, true}),
    [](const ::testing::TestParamInfo<PcmCase>& i) { return std::string(i.param.name); });

struct BufferSetting {
  explicit BufferSetting(uint32_t bytes) { gStreamBufferBytes = bytes; }
  ~BufferSetting() { gStreamBufferBytes = kDefaultStreamBufferBytes; }
};

TEST(DecodeCompressedFile, FlacStreamsToTheSamplesLibsndfileDecodes) {
  BufferSetting small(8192);
  std::string path = TempPath("ramp.flac");
  ASSERT_TRUE(WriteFile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, Ramp(kFrames, 2), false));
  FileFormat f;
  f.format = FourCC("flac");
  f.width = 16;
  f.channels = 2;
  f.data = ReadAll(path);  // the whole file: the decoder finds its frames
  AudioFileDescription compressed;
  compressed.kind = 5;
  EngineChannel c;
  c.sourceFormat = f.format;
  c.sourceWidth = 16;
  c.sourceChannels = 2;
  c.sourceRate = kRate;
  ASSERT_EQ(OpenSoundConverters(&c, kBlockFrames, 0, 16, 3, &compressed, false, kRate), 0);
  EXPECT_EQ(c.soundConverter != nullptr, true);
  EXPECT_TRUE(gStreamFormatFlags & kStreamFormatSoundConverter);
  std::vector<int16_t> want = ReferenceSamples(path, false);
  ASSERT_EQ(want.size(), size_t(2 * kFrames));
  std::vector<int16_t> got = StreamThrough(&c, f, want.size() + size_t(4 * c.decodedBlockBytes));
  // The decoder's parser looks several frames ahead before its first output: the first blocks
  // may be silent, in whole blocks; after them every sample is libsndfile's.
  size_t lead = 0;
  while (lead < got.size() && got[lead] == 0 && got[lead + 1] == 0) lead += 2;
  ASSERT_GE(lead, 0u);
  lead -= lead % size_t(c.decodedBlockBytes / 2);
  ASSERT_GE(got.size(), lead + want.size());
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[lead + i], want[i]) << "sample " << i;
  for (size_t i = lead + want.size(); i < got.size(); ++i) ASSERT_EQ(got[i], 0) << "silence after the end";
  EXPECT_TRUE(c.halfAtEnd[0] || c.halfAtEnd[1]);
  CloseStreamDecoder(&c);
  std::remove(path.c_str());
}

TEST(DecodeCompressedFile, GarbageGivesSilenceNeverStaleMemory) {
  std::vector<uint8_t> noise(40000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t(i * 131 + 7);
  FileFormat f;
  f.data = noise;
  AudioFileDescription compressed;
  compressed.kind = 5;
  EngineChannel c;
  c.sourceFormat = FourCC("flac");
  c.sourceWidth = 16;
  c.sourceChannels = 2;
  c.sourceRate = kRate;
  ASSERT_EQ(OpenSoundConverters(&c, kBlockFrames, 0, 16, 3, &compressed, false, kRate), 0);
  std::vector<uint8_t> block(size_t(c.decodedBlockBytes), 0xAB);  // stale bytes must not survive
  std::memcpy(c.inputBuffers[0], noise.data(), std::min(noise.size(), size_t(c.inputBytesPerCall)));
  c.halfInputBytes[0] = uint32_t(std::min(noise.size(), size_t(c.inputBytesPerCall)));
  c.decodeProc(&c, 0, block.data(), nullptr);
  for (uint8_t b : block) ASSERT_NE(b, 0xAB);
  CloseStreamDecoder(&c);
}

}  // namespace
