// The tags of AIFF files: an ID3 version 2.2 tag in an "ID3 " chunk after the sound data is
// read with the header, frames are held to the tag's bytes, other tag versions and damaged
// chunks read no tags without spoiling the header, and the WAVE test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/recording/aiff_header.h"
#include "audio/recording/aiff_tags.h"
#include "audio/recording/audio_file_header.h"
#include "platform/memory/byte_order.h"
#include "tests/audio/recording/header_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
void PutText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
void Chunk(Bytes& b, const char* id, const Bytes& body) {
  PutText(b, id);
  Put32(b, uint32_t(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
}
Bytes Frame(const char* id, const std::string& text) {
  Bytes f;
  PutText(f, id);
  uint32_t n = uint32_t(text.size());
  f.push_back(uint8_t(n >> 16));
  f.push_back(uint8_t(n >> 8));
  f.push_back(uint8_t(n));
  PutText(f, text);
  return f;
}
Bytes Id3(uint8_t version, const std::vector<Bytes>& frames) {
  Bytes t = {'I', 'D', '3', version, 0, 0, 0, 0, 0, 0};
  for (const Bytes& f : frames) t.insert(t.end(), f.begin(), f.end());
  return t;
}
// A mono 16-bit 44.1 kHz AIFF of 4 frames, then (odd-sized, so padded) the tag chunk.
Bytes AiffWith(const Bytes& tag) {
  Bytes comm = {0, 1, 0, 0, 0, 4, 0, 16};
  uint8_t rate[10];
  WriteExtended80(rate, 44100.0);
  comm.insert(comm.end(), rate, rate + 10);
  Bytes ssnd(8 + 8, 0);
  Bytes body;
  PutText(body, "AIFF");
  Chunk(body, "COMM", comm);
  Chunk(body, "SSND", ssnd);
  Chunk(body, "ID3 ", tag);
  Bytes file;
  PutText(file, "FORM");
  Put32(file, uint32_t(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}
std::string Text(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

TEST(AiffTags, AreReadAfterTheSoundDataWithTheHeader) {
  std::string longTitle(80, 'x');
  zarin_test::ForkFile file(AiffWith(Id3(2, {Frame("TT2", std::string("\0", 1) + longTitle), Frame("TP1", "Band"),
                                             Frame("TXX", "skipped"), Frame("TAL", "Al\0bum"), Frame("TYE", "1987")})));
  uint8_t description[28] = {};
  uint64_t frames = 0;
  uint32_t offset = 0;
  float rate = 0;
  AudioFileTags tags;
  ASSERT_EQ(noErr, ReadAiffHeader(file.fork(), description, &frames, &offset, &rate, &tags));
  EXPECT_EQ(4u, frames);
  EXPECT_EQ(44100.0f, rate);
  EXPECT_EQ(0xAC440000u, ReadU32BE(description + kSoundDescRate));
  EXPECT_EQ(std::string(63, 'x'), Text(tags.title));  // at most 63 characters, the zero byte dropped
  EXPECT_EQ("Band", Text(tags.artist));
  EXPECT_EQ("Al", Text(tags.album));  // a C literal stops at its zero: the text is "Al"
  EXPECT_EQ(1987, tags.year);
}

TEST(AiffTags, OtherVersionsAndDamagedFramesReadNoTagsAndKeepTheHeader) {
  struct Case {
    const char* name;
    Bytes tag;
  } cases[] = {
      {"version 3", Id3(3, {Frame("TT2", "garbage")})},
      {"no ID3 header", Bytes{'X', 'Y', 'Z', 2, 0, 0, 0, 0, 0, 0}},
      {"too short", Bytes{'I', 'D'}},
  };
  for (const Case& c : cases) {
    zarin_test::ForkFile file(AiffWith(c.tag));
    uint8_t description[28] = {};
    uint64_t frames = 0;
    uint32_t offset = 0;
    float rate = 0;
    AudioFileTags tags;
    EXPECT_EQ(noErr, ReadAiffHeader(file.fork(), description, &frames, &offset, &rate, &tags)) << c.name;
    EXPECT_EQ(0, tags.title[0]) << c.name;
    EXPECT_EQ(4u, frames) << c.name;
  }
  // A frame whose size reaches past the tag is cut at the tag's end.
  Bytes tag = Id3(2, {Frame("TP1", "Short")});
  tag[10 + 5] = 200;
  AudioFileTags tags;
  ASSERT_TRUE(ParseId3v22Tag(tag.data(), uint32_t(tag.size()), &tags));
  EXPECT_EQ("Short", Text(tags.artist));
}

TEST(AiffTags, AChunkSizePastTheFileEndsTheWalk) {
  Bytes file = AiffWith(Id3(2, {Frame("TT2", "T")}));
  WriteU32BE(&file[file.size() - 22], 0xFFFFFFF0u);  // the tag chunk's size (17 bytes, padded)
  zarin_test::ForkFile fork(file);
  AudioFileTags tags;
  EXPECT_EQ(-2114, ReadAiffTags(fork.fork(), &tags));
  EXPECT_EQ(0, tags.title[0]);
}

TEST(WaveHeader, NeedsWaveAndItsFormatChunkFirst) {
  uint8_t wave[16] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  EXPECT_TRUE(IsWaveHeader(wave));
  wave[12] = 'd';
  EXPECT_FALSE(IsWaveHeader(wave));
}

}  // namespace
