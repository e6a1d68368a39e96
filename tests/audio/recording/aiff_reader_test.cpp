// Reading AIFF and AIFF-C headers, good and malformed: chunks in any order with pad bytes, the
// compression types and what they become, the 80-bit rate, sizes checked against the file, and
// the header reader every caller uses falling back from CAF to AIFF.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/recording/aiff_header.h"
#include "audio/recording/audio_file_header.h"
#include "platform/memory/byte_order.h"
#include "tests/audio/recording/header_files.h"

using zarin_test::ForkFile;

namespace {

// An AIFF or AIFF-C file put together chunk by chunk; the FORM size is set by Bytes().
struct Aiff {
  std::vector<uint8_t> b;

  explicit Aiff(const char (&formType)[5] = "AIFF") : b(12, 0) {
    std::copy_n("FORM", 4, b.begin());
    std::copy_n(formType, 4, b.begin() + 8);
  }
  Aiff& Chunk(const char (&type)[5], uint32_t size, std::vector<uint8_t> body) {
    uint8_t h[8];
    WriteU32BE(h, FourCC(type));
    WriteU32BE(h + 4, size);
    b.insert(b.end(), h, h + 8);
    b.insert(b.end(), body.begin(), body.end());
    return *this;
  }
  Aiff& Comm(int16_t channels, uint32_t frames, int16_t bits, double rate, const char* compression = nullptr,
             uint32_t size = 0) {
    std::vector<uint8_t> c(compression ? 24 : 18, 0);
    WriteI16BE(&c[0], channels);
    WriteU32BE(&c[2], frames);
    WriteI16BE(&c[6], bits);
    WriteExtended80(&c[8], rate);
    if (compression) std::copy(compression, compression + 4, c.begin() + 18);
    return Chunk("COMM", size ? size : uint32_t(c.size()), c);
  }
  // A sound data chunk with `offset` bytes skipped before `bytes` of a ramp.
  Aiff& Ssnd(uint32_t bytes, uint32_t offset = 0) {
    std::vector<uint8_t> body(8 + offset + bytes);
    WriteU32BE(&body[0], offset);
    for (uint32_t i = 0; i < bytes; ++i) body[8 + offset + i] = uint8_t(i);
    Chunk("SSND", uint32_t(body.size()), body);
    if (body.size() & 1) b.push_back(0);
    return *this;
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = b;
    WriteU32BE(&out[4], uint32_t(out.size() - 8));
    return out;
  }
};

struct ReadBack {
  OSErr err = 0;
  uint8_t desc[kSoundDescSize];
  uint64_t frames = 77;
  uint32_t offset = 77;
  float rate = 77;
  ReadBack() { std::fill(desc, desc + kSoundDescSize, 0xEE); }
  OSType Format() const { return ReadU32BE(desc + kSoundDescFormat); }
  int16_t Channels() const { return ReadI16BE(desc + kSoundDescChannels); }
  int16_t Bits() const { return ReadI16BE(desc + kSoundDescBits); }
  uint32_t FixedRate() const { return ReadU32BE(desc + kSoundDescRate); }
};

ReadBack Read(const std::vector<uint8_t>& bytes) {
  ForkFile file(bytes);
  ReadBack r;
  r.err = ReadAiffHeader(file.fork(), r.desc, &r.frames, &r.offset, &r.rate);
  return r;
}

std::vector<uint8_t> EmptyChunks(int count) {
  Aiff a;
  for (int i = 0; i < count; ++i) a.Chunk("JUNK", 0, {});
  return a.Comm(1, 4, 16, 8000).Ssnd(8).Bytes();
}

TEST(AiffReader, WellFormedHeadersInAnyOrder) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    OSType format;
    int16_t channels, bits;
    uint64_t frames;
    uint32_t offset;
    float rate;
    uint32_t fixedRate;
  } cases[] = {
      {"plain 16-bit stereo", Aiff().Comm(2, 100, 16, 44100).Ssnd(400).Bytes(), kFormatNone, 2, 16, 100, 54,
       44100, 0xAC440000},
      {"sound data first, an odd chunk with its pad byte, an offset",
       Aiff().Ssnd(40, 6).Chunk("ANNO", 3, {'a', 'b', 'c', 0}).Comm(1, 20, 16, 22050).Bytes(), kFormatNone, 1, 16,
       20, 34, 22050, 0x56220000},
      {"AIFF-C 24 bits as in24", Aiff("AIFC").Comm(2, 10, 0, 48000, "in24").Ssnd(60).Bytes(), kFormatNone, 2, 24,
       10, 60, 48000, 0xBB800000},
      {"upper-case float", Aiff("AIFC").Comm(1, 10, 0, 96000, "FL32").Ssnd(40).Bytes(), kFormatFloat32, 1, 32, 10,
       60, 96000, 0xFFFFFFFF},
      {"64-bit float", Aiff("AIFC").Comm(2, 5, 64, 88200, "fl64").Ssnd(80).Bytes(), kFormatFloat64, 2, 64, 5, 60,
       88200, 0xFFFFFFFF},
      {"little-endian 16 bits", Aiff("AIFC").Comm(2, 10, 16, 44100, "sowt").Ssnd(40).Bytes(), kFormatSwapped16, 2,
       16, 10, 60, 44100, 0xAC440000},
      {"twos is big-endian integers", Aiff("AIFC").Comm(1, 30, 8, 8000, "twos").Ssnd(30).Bytes(), kFormatNone, 1, 8,
       30, 60, 8000, 0x1F400000},
      {"companded keeps its type", Aiff("AIFC").Comm(1, 30, 16, 8000, "ulaw").Ssnd(30).Bytes(), FourCC("ulaw"), 1,
       16, 30, 60, 8000, 0x1F400000},
      {"more frames than the file holds", Aiff().Comm(2, 1000, 16, 44100).Ssnd(41).Bytes(), kFormatNone, 2, 16, 10,
       54, 44100, 0xAC440000},
      {"thousands of empty chunks", EmptyChunks(5000), kFormatNone, 1, 16, 4, 5000 * 8 + 54, 8000, 0x1F400000},
  };
  for (const Case& c : cases) {
    ReadBack r = Read(c.bytes);
    ASSERT_EQ(r.err, noErr) << c.what;
    EXPECT_EQ(r.Format(), c.format) << c.what;
    EXPECT_EQ(r.Channels(), c.channels) << c.what;
    EXPECT_EQ(r.Bits(), c.bits) << c.what;
    EXPECT_EQ(r.frames, c.frames) << c.what;
    EXPECT_EQ(r.offset, c.offset) << c.what;
    EXPECT_EQ(r.rate, c.rate) << c.what;
    EXPECT_EQ(r.FixedRate(), c.fixedRate) << c.what;
  }
}

TEST(AiffReader, ARecordingCutShortReadsUpToWhereItsDataEnds) {
  // The sound data chunk claims more than the file holds: a recording whose final header was
  // written but whose last buffers never reached the disk.
  std::vector<uint8_t> bytes = Aiff().Comm(2, 500, 16, 44100).Ssnd(2000).Bytes();
  bytes.resize(54 + 401);
  ReadBack r = Read(bytes);
  ASSERT_EQ(r.err, noErr);
  EXPECT_EQ(r.frames, 100u);
  EXPECT_EQ(r.offset, 54u);
}

std::vector<uint8_t> NotAForm() {
  std::vector<uint8_t> bytes = Aiff().Comm(1, 4, 16, 8000).Ssnd(8).Bytes();
  std::copy_n("RIFF", 4, bytes.begin());
  return bytes;
}

TEST(AiffReader, MalformedHeadersGiveAClearErrorAndSetNothing) {
  std::vector<uint8_t> commPastTheEnd = Aiff().Ssnd(8).Comm(1, 4, 16, 8000).Bytes();
  WriteU32BE(&commPastTheEnd[commPastTheEnd.size() - 18 - 4], 0xFFFFFFF0);
  std::vector<uint8_t> offsetPastTheEnd = Aiff().Comm(1, 4, 16, 8000).Ssnd(8).Bytes();
  WriteU32BE(&offsetPastTheEnd[46], 9);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"cut inside the form header", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I'}},
      {"not a form", NotAForm()},
      {"another form type", Aiff("WAVE").Comm(1, 4, 16, 8000).Ssnd(8).Bytes()},
      {"no sound data", Aiff().Comm(1, 4, 16, 8000).Bytes()},
      {"no COMM", Aiff().Ssnd(8).Bytes()},
      {"COMM too short", Aiff().Comm(1, 4, 16, 8000, nullptr, 16).Ssnd(8).Bytes()},
      {"COMM too short for its compression", Aiff("AIFC").Comm(1, 4, 16, 8000, "fl32", 20).Ssnd(8).Bytes()},
      {"COMM past the end", commPastTheEnd},
      {"a chunk before COMM past the end", Aiff().Chunk("JUNK", 0xFFFFFFFF, {1, 2}).Comm(1, 4, 16, 8000).Ssnd(8).Bytes()},
      {"sound data too short", Aiff().Comm(1, 4, 16, 8000).Chunk("SSND", 4, {0, 0, 0, 0}).Bytes()},
      {"sound data offset past the end", offsetPastTheEnd},
      {"the file ends inside the sound data's fields", Aiff().Comm(1, 4, 16, 8000).Chunk("SSND", 8, {0, 0, 0}).Bytes()},
      {"no channels", Aiff().Comm(0, 4, 16, 8000).Ssnd(8).Bytes()},
      {"negative channels", Aiff().Comm(-2, 4, 16, 8000).Ssnd(8).Bytes()},
      {"no rate", Aiff().Comm(1, 4, 16, 0).Ssnd(8).Bytes()},
      {"a negative rate", Aiff().Comm(1, 4, 16, -44100).Ssnd(8).Bytes()},
      {"no sample size", Aiff().Comm(1, 4, 0, 8000).Ssnd(8).Bytes()},
      {"a sample size beyond 32 bits", Aiff().Comm(1, 4, 40, 8000).Ssnd(8).Bytes()},
      {"an unknown compression", Aiff("AIFC").Comm(1, 4, 16, 8000, "zzzz").Ssnd(8).Bytes()},
      {"little-endian 24 bits", Aiff("AIFC").Comm(1, 4, 24, 8000, "sowt").Ssnd(12).Bytes()},
  };
  for (const Case& c : cases) {
    ReadBack r = Read(c.bytes);
    EXPECT_EQ(r.err, kAudioFormatUnsupportedErr) << c.what;
    EXPECT_EQ(r.frames, 77u) << c.what;
    EXPECT_EQ(r.offset, 77u) << c.what;
    EXPECT_EQ(r.rate, 77.0f) << c.what;
    EXPECT_EQ(r.Format(), 0xEEEEEEEEu) << c.what;
  }
}

TEST(AiffReader, AnInfiniteRateIsRefused) {
  std::vector<uint8_t> bytes = Aiff().Comm(1, 4, 16, 8000).Ssnd(8).Bytes();
  uint8_t infinite[10] = {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
  std::copy(infinite, infinite + 10, bytes.begin() + 28);
  EXPECT_EQ(Read(bytes).err, kAudioFormatUnsupportedErr);
}

TEST(AudioFileHeaderReader, ACafFileThatFailsFallsBackToTheAiffReaderFromTheStart) {
  std::vector<uint8_t> aiff = Aiff().Comm(2, 10, 16, 44100).Ssnd(40).Bytes();
  // A chunk of size -1 that is not the data chunk.
  std::vector<uint8_t> brokenCaf(20, 0xFF);
  std::copy_n("caff\0\1\0\0free", 12, brokenCaf.begin());
  for (bool isAiff : {true, false}) {
    ForkFile file(isAiff ? aiff : brokenCaf);
    ReadBack r;
    r.err = ReadAudioFileHeader(file.fork(), r.desc, &r.frames, &r.offset, &r.rate);
    EXPECT_EQ(ReadU32BE(r.desc + kSoundDescFlags), 0u) << "flags cleared";
    if (!isAiff) {
      EXPECT_EQ(r.err, kAudioFormatUnsupportedErr);
      continue;
    }
    ASSERT_EQ(r.err, noErr);
    EXPECT_EQ(r.Format(), kFormatNone);
    EXPECT_EQ(r.frames, 10u);
    EXPECT_EQ(r.offset, 54u);
  }
}

}  // namespace
