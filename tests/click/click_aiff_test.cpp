// The click plug-in's AIFF reader: the sample formats it decodes, and the broken files it
// refuses without reading past them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "click/click_aiff.h"
#include "click/click_aiff_writer.h"
#include "platform/memory/byte_order.h"
#include "tests/test_support.h"

namespace {

std::vector<float> Decode(const std::vector<uint8_t>& file, ClickAiffInfo* info) {
  if (ParseClickAiffHeader(file.data(), file.size(), info) != noErr) return {};
  std::vector<float> out(info->frames);
  DecodeClickSamples(file.data(), *info, out.data());
  return out;
}

TEST(ClickAiffReader, DecodesEachSampleFormatToMono) {
  struct Case {
    const char* what;
    uint16_t channels;
    uint16_t bits;
    OSType compression;
    std::vector<uint8_t> data;
    std::vector<float> expected;
  };
  const Case cases[] = {
      {"16-bit mono", 1, 16, 0, {0x40, 0x00, 0x80, 0x00, 0xFF, 0xFF}, {0.5f, -1.0f, -1.0f / 32768}},
      {"8-bit mono", 1, 8, 0, {0x40, 0x80, 0x7F}, {0.5f, -1.0f, 127.0f / 128}},
      {"16-bit stereo, channels averaged", 2, 16, 0,
       {0x40, 0x00, 0x00, 0x00, 0xC0, 0x00, 0xC0, 0x00},
       {0.25f, -0.5f}},
      {"8-bit stereo", 2, 8, 0, {0x40, 0x40, 0x40, 0xC0}, {0.5f, 0.0f}},
      {"24-bit mono", 1, 24, 0, {0x40, 0x00, 0x00, 0xE0, 0x00, 0x00}, {0.5f, -0.25f}},
      {"32-bit mono", 1, 32, 0, {0x20, 0x00, 0x00, 0x00}, {0.25f}},
      {"12-bit in two bytes", 1, 12, 0, {0x40, 0x00}, {0.5f}},
      {"AIFF-C NONE", 1, 16, FourCC("NONE"), {0x20, 0x00}, {0.25f}},
      {"AIFF-C twos", 1, 16, FourCC("twos"), {0x20, 0x00}, {0.25f}},
      {"AIFF-C sowt is little-endian", 1, 16, FourCC("sowt"), {0x00, 0x20, 0x00, 0xC0},
       {0.25f, -0.5f}},
  };
  for (const Case& c : cases) {
    ClickAiffFormat format;
    format.channels = c.channels;
    format.sampleBits = c.bits;
    format.compression = c.compression;
    format.sampleRate = 48000.0;
    format.frames = static_cast<uint32_t>(c.expected.size());
    std::vector<uint8_t> file = BuildClickAiff(format, c.data.data(), c.data.size());
    ClickAiffInfo info;
    EXPECT_EQ(Decode(file, &info), c.expected) << c.what;
    EXPECT_EQ(info.channels, c.channels) << c.what;
    EXPECT_EQ(info.sampleBits, c.bits) << c.what;
    EXPECT_EQ(info.sampleRate, 48000.0) << c.what;
    EXPECT_EQ(info.dataOffset, file.size() - c.data.size() - (c.data.size() & 1)) << c.what;
  }
}

// A hand-made file: FORM header, then the given chunks.
std::vector<uint8_t> FormFile(const char* type, const std::vector<std::vector<uint8_t>>& chunks) {
  std::vector<uint8_t> out(12);
  std::memcpy(out.data(), "FORM", 4);
  std::memcpy(out.data() + 8, type, 4);
  for (const auto& chunk : chunks) out.insert(out.end(), chunk.begin(), chunk.end());
  WriteU32BE(out.data() + 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& body, int32_t size = -1) {
  std::vector<uint8_t> out(id, id + 4);
  out.resize(8);
  WriteU32BE(out.data() + 4, size < 0 ? static_cast<uint32_t>(body.size()) : uint32_t(size));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
  return out;
}

std::vector<uint8_t> Common(uint16_t channels, uint32_t frames, uint16_t bits, double rate) {
  std::vector<uint8_t> body(18);
  WriteU16BE(&body[0], channels);
  WriteU32BE(&body[2], frames);
  WriteU16BE(&body[6], bits);
  WriteExtended80(&body[8], rate);
  return body;
}

std::vector<uint8_t> Sound(uint32_t offset, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> body(8 + offset, 0xEE);
  WriteU32BE(&body[0], offset);
  WriteU32BE(&body[4], 0);
  body.insert(body.end(), data.begin(), data.end());
  return body;
}

TEST(ClickAiffReader, FindsChunksInAnyOrderAndHonoursTheDataOffset) {
  std::vector<uint8_t> data = {0x40, 0x00, 0x20, 0x00};
  std::vector<uint8_t> file = FormFile(
      "AIFF", {Chunk("NAME", {'o', 'd', 'd'}), Chunk("SSND", Sound(5, data)),
               Chunk("COMM", Common(1, 2, 16, 44100.0)), Chunk("ANNO", {})});
  ClickAiffInfo info;
  EXPECT_EQ(Decode(file, &info), (std::vector<float>{0.5f, 0.25f}));
}

TEST(ClickAiffReader, RefusesBrokenFiles) {
  std::vector<uint8_t> two = {0x40, 0x00, 0x20, 0x00};
  auto good = [&](std::vector<uint8_t> common) {
    return FormFile("AIFF", {Chunk("COMM", common), Chunk("SSND", Sound(0, two))});
  };
  std::vector<uint8_t> truncated = good(Common(1, 2, 16, 44100.0));
  truncated.resize(truncated.size() - 1);
  std::vector<uint8_t> sizeBeyondFile = FormFile(
      "AIFF", {Chunk("COMM", Common(1, 3, 16, 44100.0)), Chunk("SSND", Sound(0, two), 4000)});
  std::vector<uint8_t> commBeyondFile = FormFile("AIFF", {Chunk("COMM", {0, 1, 0, 0}, 18)});
  std::vector<uint8_t> offsetBeyond =
      FormFile("AIFF", {Chunk("COMM", Common(1, 2, 16, 44100.0)), Chunk("SSND", Sound(0, two))});
  WriteU32BE(&offsetBeyond[offsetBeyond.size() - 12], 0xFFFFFFF0);
  std::vector<uint8_t> aifcWithoutType =
      FormFile("AIFC", {Chunk("COMM", Common(1, 2, 16, 44100.0)), Chunk("SSND", Sound(0, two))});
  std::vector<uint8_t> ulawCommon = Common(1, 2, 16, 44100.0);
  for (char ch : std::string("ulaw")) ulawCommon.push_back(static_cast<uint8_t>(ch));
  ulawCommon.push_back(0);
  std::vector<uint8_t> ulaw =
      FormFile("AIFC", {Chunk("COMM", ulawCommon), Chunk("SSND", Sound(0, two))});

  struct Case {
    const char* what;
    std::vector<uint8_t> file;
  };
  const Case cases[] = {
      {"empty", {}},
      {"too short", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F'}},
      {"not a FORM", {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'}},
      {"another FORM type", FormFile("8SVX", {Chunk("COMM", Common(1, 2, 16, 44100.0))})},
      {"no sound data", FormFile("AIFF", {Chunk("COMM", Common(1, 2, 16, 44100.0))})},
      {"no common chunk", FormFile("AIFF", {Chunk("SSND", Sound(0, two))})},
      {"common chunk too short", FormFile("AIFF", {Chunk("COMM", {0, 1, 0, 0, 0, 2}),
                                                   Chunk("SSND", Sound(0, two))})},
      {"no channels", good(Common(0, 2, 16, 44100.0))},
      {"too many channels", good(Common(40, 2, 16, 44100.0))},
      {"no bits", good(Common(1, 2, 0, 44100.0))},
      {"33 bits", good(Common(1, 2, 33, 44100.0))},
      {"rate 0", good(Common(1, 2, 16, 0.0))},
      {"negative rate", good(Common(1, 2, 16, -44100.0))},
      {"infinite rate", good(Common(1, 2, 16, std::numeric_limits<double>::infinity()))},
      {"absurd rate", good(Common(1, 2, 16, 1e9))},
      {"no frames", good(Common(1, 0, 16, 44100.0))},
      {"more frames than data", good(Common(1, 3, 16, 44100.0))},
      {"stereo frames beyond data", good(Common(2, 2, 16, 44100.0))},
      {"far too many frames", good(Common(1, 0xFFFFFFFF, 16, 44100.0))},
      {"file cut inside the data", truncated},
      {"sound chunk longer than the file", sizeBeyondFile},
      {"common chunk longer than the file", commBeyondFile},
      {"data offset beyond the chunk", offsetBeyond},
      {"AIFF-C without compression type", aifcWithoutType},
      {"compressed AIFF-C", ulaw},
  };
  for (const Case& c : cases) {
    ClickAiffInfo info;
    EXPECT_EQ(ParseClickAiffHeader(c.file.data(), c.file.size(), &info), kClickNotAudioFileErr)
        << c.what;
    EXPECT_EQ(info.frames, 0u) << c.what;
  }
  ClickAiffInfo info;
  EXPECT_EQ(ParseClickAiffHeader(nullptr, 0, &info), kClickNotAudioFileErr);
}

TEST(ClickAiffReader, ReadsFilesAndTellsWhyNot) {
  zarin_test::TempFolder folder;
  std::vector<float> samples = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f};
  ASSERT_EQ(WriteClickAiffFile(folder.File("c.aif").c_str(), samples.data(), 5, 44100.0), noErr);
  EXPECT_FALSE(std::ifstream(folder.File("c.aif.new")).good());

  uint8_t* bytes = nullptr;
  size_t size = 0;
  ASSERT_EQ(ReadClickFileBytes(folder.File("c.aif").c_str(), &bytes, &size), noErr);
  std::vector<uint8_t> file(bytes, bytes + size);
  std::free(bytes);
  ClickAiffInfo info;
  std::vector<float> decoded = Decode(file, &info);
  ASSERT_EQ(decoded.size(), samples.size());
  for (size_t i = 0; i < samples.size(); ++i) EXPECT_NEAR(decoded[i], samples[i], 1.0 / 32767);

  EXPECT_EQ(ReadClickFileBytes(folder.File("none.aif").c_str(), &bytes, &size),
            kClickFileNotFoundErr);
  EXPECT_EQ(bytes, nullptr);
  EXPECT_EQ(ReadClickFileBytes(folder.path().c_str(), &bytes, &size), kClickNotAudioFileErr);
  EXPECT_EQ(ReadClickFileBytes(folder.File("c.aif/x").c_str(), &bytes, &size),
            kClickFileNotFoundErr);
}

}  // namespace
