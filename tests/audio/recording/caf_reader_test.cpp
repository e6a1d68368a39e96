// Reading CAF headers, good and malformed: chunks in either order, sizes checked against the
// file (negative, huge, past the end) and descriptions that cannot describe the frames.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "audio/recording/audio_file_header.h"
#include "audio/recording/caf_header.h"
#include "platform/memory/byte_order.h"
#include "tests/audio/recording/header_files.h"

using zarin_test::ForkFile;

namespace {

// A CAF file put together chunk by chunk.
struct Caf {
  std::vector<uint8_t> b = {'c', 'a', 'f', 'f', 0, 1, 0, 0};

  Caf& Chunk(const char (&type)[5], int64_t size, std::vector<uint8_t> body) {
    uint8_t h[12];
    WriteU32BE(h, FourCC(type));
    WriteI64BE(h + 4, size);
    b.insert(b.end(), h, h + 12);
    b.insert(b.end(), body.begin(), body.end());
    return *this;
  }
  Caf& Desc(double rate, const char (&format)[5], uint32_t flags, uint32_t bpp, uint32_t channels, uint32_t bits,
            int64_t size = 32) {
    std::vector<uint8_t> d(32);
    WriteF64BE(&d[0], rate);
    WriteU32BE(&d[8], FourCC(format));
    WriteU32BE(&d[12], flags);
    WriteU32BE(&d[16], bpp);
    WriteU32BE(&d[20], 1);
    WriteU32BE(&d[24], channels);
    WriteU32BE(&d[28], bits);
    return Chunk("desc", size, d);
  }
  Caf& Pcm16Stereo(double rate = 44100.0) { return Desc(rate, "lpcm", 0, 4, 2, 16); }
  // A data chunk with its edit count and `bytes` of audio.
  Caf& Data(uint32_t bytes, int64_t size = -2) {
    std::vector<uint8_t> body(4 + bytes, 0x22);
    return Chunk("data", size == -2 ? int64_t(bytes) + 4 : size, body);
  }
};

struct ReadBack {
  OSErr err = 0;
  uint8_t desc[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t offset = 0;
  float rate = 0;
  OSType Format() const { return ReadU32BE(desc + kSoundDescFormat); }
};

ReadBack Read(const std::vector<uint8_t>& bytes, bool needInfo = false) {
  ForkFile file(bytes);
  ReadBack r;
  r.err = ReadCafHeader(file.fork(), r.desc, &r.frames, &r.offset, &r.rate, needInfo);
  return r;
}

TEST(CafReader, WellFormedHeadersInAnyOrder) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    OSType format;
    uint64_t frames;
    uint32_t offset;
  } cases[] = {
      {"desc then data", Caf().Pcm16Stereo().Data(400).b, kFormatNone, 100, 68},
      {"data before desc", Caf().Data(400).Pcm16Stereo().b, kFormatNone, 100, 24},
      {"other chunks between", Caf().Chunk("free", 3, {1, 2, 3}).Data(40).Chunk("free", 0, {}).Pcm16Stereo().b,
       kFormatNone, 10, 39},
      {"data of unknown length", Caf().Pcm16Stereo().Data(403, -1).b, kFormatNone, 100, 68},
      {"the file ends with the data chunk", Caf().Pcm16Stereo().Data(0).b, kFormatNone, 0, 68},
      {"64-bit floats", Caf().Desc(48000, "lpcm", 1, 16, 2, 64).Data(160).b, kFormatFloat64, 10, 68},
      {"32-bit floats", Caf().Desc(48000, "lpcm", 1, 4, 1, 32).Data(40).b, kFormatFloat32, 10, 68},
      {"little-endian 16 bits", Caf().Desc(48000, "lpcm", 2, 2, 1, 16).Data(40).b, kFormatSwapped16, 20, 68},
      {"another format keeps its id", Caf().Desc(8000, "ulaw", 0, 1, 1, 8).Data(40).b, FourCC("ulaw"), 40, 68},
  };
  for (const Case& c : cases) {
    ReadBack r = Read(c.bytes);
    ASSERT_EQ(r.err, noErr) << c.what;
    EXPECT_EQ(r.Format(), c.format) << c.what;
    EXPECT_EQ(r.frames, c.frames) << c.what;
    EXPECT_EQ(r.offset, c.offset) << c.what;
  }
}

TEST(CafReader, MalformedHeadersGiveAClearErrorAndSetNothing) {
  constexpr int64_t kHuge = std::numeric_limits<int64_t>::max();
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    OSErr err;
  } cases[] = {
      {"not a CAF file", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, kAudioFormatUnsupportedErr},
      {"negative chunk size", Caf().Chunk("free", -24, {}).Pcm16Stereo().Data(8).b, kAudioFormatUnsupportedErr},
      {"negative data size", Caf().Pcm16Stereo().Data(8, -12).b, kAudioFormatUnsupportedErr},
      {"huge chunk size", Caf().Chunk("free", kHuge, {}).Pcm16Stereo().Data(8).b, kAudioFormatUnsupportedErr},
      {"chunk one byte past the end", Caf().Pcm16Stereo().Chunk("free", 5, {1, 2, 3, 4}).b,
       kAudioFormatUnsupportedErr},
      {"data past the end", Caf().Pcm16Stereo().Data(8, 400).b, kAudioFormatUnsupportedErr},
      {"data without its edit count", Caf().Pcm16Stereo().Chunk("data", 2, {0, 0}).b, kAudioFormatUnsupportedErr},
      {"desc of 31 bytes", Caf().Desc(44100, "lpcm", 0, 4, 2, 16, 31).Data(8).b, kAudioFormatUnsupportedErr},
      {"no bytes per packet", Caf().Desc(44100, "lpcm", 0, 0, 2, 16).Data(8).b, kAudioFormatUnsupportedErr},
      {"no channels", Caf().Desc(44100, "lpcm", 0, 4, 0, 16).Data(8).b, kAudioFormatUnsupportedErr},
      {"70000 channels", Caf().Desc(44100, "lpcm", 0, 4, 70000, 16).Data(8).b, kAudioFormatUnsupportedErr},
      {"rate 0", Caf().Desc(0, "lpcm", 0, 4, 2, 16).Data(8).b, kAudioFormatUnsupportedErr},
      {"rate not a number", Caf().Desc(std::nan(""), "lpcm", 0, 4, 2, 16).Data(8).b, kAudioFormatUnsupportedErr},
      {"16-bit floats", Caf().Desc(44100, "lpcm", 1, 2, 1, 16).Data(8).b, kAudioFormatUnsupportedErr},
      {"little-endian floats", Caf().Desc(44100, "lpcm", 3, 4, 1, 32).Data(8).b, kAudioFormatUnsupportedErr},
      {"empty file", {}, eofErr},
      {"file header only", Caf().b, eofErr},
      {"no data chunk", Caf().Pcm16Stereo().b, eofErr},
      {"no desc chunk", Caf().Data(8).b, eofErr},
      {"chunk header cut short", Caf().Pcm16Stereo().Data(8).b, noErr},
  };
  cases[std::size(cases) - 1].bytes.resize(8 + 12 + 32 + 6);  // the data chunk's header torn
  cases[std::size(cases) - 1].err = eofErr;
  for (const Case& c : cases) {
    ReadBack r = Read(c.bytes);
    EXPECT_EQ(r.err, c.err) << c.what;
    EXPECT_EQ(r.Format(), 0u) << c.what;
    EXPECT_EQ(r.frames, 0u) << c.what;
    EXPECT_EQ(r.offset, 0u) << c.what;
  }
}

TEST(CafReader, ThousandsOfEmptyChunksAreWalkedToTheEnd) {
  Caf caf;
  for (int i = 0; i < 5000; ++i) caf.Chunk("free", 0, {});
  caf.Pcm16Stereo().Data(40);
  ReadBack r = Read(caf.b);
  ASSERT_EQ(r.err, noErr);
  EXPECT_EQ(r.offset, uint32_t(caf.b.size() - 40));
}

TEST(CafReader, RatesAboveTheFixedFieldSaturateWhileTheFloatRateIsTrue) {
  ReadBack r = Read(Caf().Pcm16Stereo(96000.0).Data(40).b);
  ASSERT_EQ(r.err, noErr);
  EXPECT_EQ(ReadU32BE(r.desc + kSoundDescRate), 0xFFFFFFFFu);
  EXPECT_EQ(r.rate, 96000.0f);
  ReadBack low = Read(Caf().Pcm16Stereo(44100.0).Data(40).b);
  EXPECT_EQ(ReadU32BE(low.desc + kSoundDescRate), 0xAC440000u);
}

TEST(CafReader, TheInfoChunkIsLookedForOnlyWhenAskedFor) {
  std::vector<uint8_t> bytes = Caf().Pcm16Stereo().Data(40).Chunk("info", 4, {0, 0, 0, 0}).b;
  EXPECT_EQ(Read(bytes, true).err, noErr);
  // Without an info chunk the walk ends at the end of the file, both chunks seen.
  EXPECT_EQ(Read(Caf().Pcm16Stereo().Data(40).b, true).err, noErr);
}

TEST(CafReader, AnAudioStartBeyondFourGigabytesIsRefused) {
  // A sparse file: a 5 GiB free chunk before the data.
  const int64_t gap = 5ll << 30;
  std::vector<uint8_t> head = Caf().Pcm16Stereo().Chunk("free", gap, {}).b;
  ForkFile file(head);
  std::vector<uint8_t> tail = Caf().Data(40).b;
  tail.erase(tail.begin(), tail.begin() + 8);
  int fd = open(file.path().c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), off_t(head.size() + gap)), ssize_t(tail.size()));
  close(fd);
  ReadBack r;
  FSSetForkPosition(file.fork(), fsFromStart, 0);
  EXPECT_EQ(ReadCafHeader(file.fork(), r.desc, &r.frames, &r.offset, &r.rate, false), kAudioFormatUnsupportedErr);
  EXPECT_EQ(r.offset, 0u);
}

}  // namespace
