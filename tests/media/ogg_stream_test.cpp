// Reading Ogg Vorbis files through our fork callbacks: the callbacks themselves, the stream's
// description, the block-by-block decode that a player feeds with the file's bytes in two
// alternating buffers (and the engine channel entry over it), seeking, and the comments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/streams/stream_media_hooks.h"
#include "media/media_hooks.h"
#include "media/ogg_comments.h"
#include "media/ogg_stream_decode.h"
#include "media/ogg_vorbis_file.h"
#include "platform/files/forks.h"
#include "tests/media/ogg_files.h"
#include "tests/test_support.h"

using namespace zarin_test;

namespace {

std::string PString(const unsigned char* s) { return std::string(reinterpret_cast<const char*>(s) + 1, s[0]); }

int16_t OpenRead(const std::string& path) {
  FSSpec spec = SpecFor(path);
  int16_t fork = 0;
  EXPECT_EQ(FSpOpenDF(&spec, fsRdPerm, &fork), noErr);
  return fork;
}

TEST(OggForkCallbacks, ReadSeekTellAndCloseOverAFork) {
  TempFolder tmp;
  std::string path = tmp.File("bytes");
  std::string bytes;
  for (int i = 0; i < 100; ++i) bytes.push_back(char(i));
  ASSERT_TRUE(WriteWholeFile(path, bytes));
  int16_t fork = OpenRead(path);
  const ov_callbacks& cb = kOggForkCallbacks;
  uint8_t buffer[64] = {};
  EXPECT_EQ(cb.read_func(buffer, 0, 10, &fork), 0u);
  EXPECT_EQ(cb.seek_func(&fork, 10, SEEK_SET), 0);
  EXPECT_EQ(cb.seek_func(&fork, 5, SEEK_CUR), 0);  // the offset applies from the current position
  EXPECT_EQ(cb.tell_func(&fork), 15);
  EXPECT_EQ(cb.read_func(buffer, 1, 3, &fork), 3u);
  EXPECT_EQ(buffer[0], 15);
  EXPECT_EQ(cb.seek_func(&fork, -6, SEEK_END), 0);
  EXPECT_EQ(cb.read_func(buffer, 4, 3, &fork), 1u);  // 6 bytes left: one whole item of 4
  EXPECT_EQ(buffer[0], 94);
  EXPECT_EQ(cb.read_func(buffer, 1, 8, &fork), 0u);  // at the end
  EXPECT_EQ(cb.seek_func(nullptr, 0, SEEK_SET), -1);
  EXPECT_EQ(cb.seek_func(&fork, 0, 7), -1);
  EXPECT_EQ(cb.seek_func(&fork, -1, SEEK_SET), -1);
  EXPECT_EQ(cb.close_func(&fork), 0);
  EXPECT_EQ(fork, 0);
  EXPECT_EQ(cb.close_func(&fork), -1);
  EXPECT_EQ(cb.tell_func(&fork), -1);
}

TEST(OggStreamInfo, AFileThatIsNotOggVorbisGivesTheOpenResultAndKeepsItsFork) {
  TempFolder tmp;
  std::string path = tmp.File("wave.wav");
  ASSERT_TRUE(RunCommand("sox -n -r 8000 -c 1 -b 16 '" + path + "' synth 0.3 sine 440"));
  int16_t fork = OpenRead(path);
  OggVorbis_File stream;
  OggStreamInfo info;
  uint32_t length = 7, offset = 7;
  float rate = 7;
  EXPECT_LT(ReadOggStreamInfo(&stream, &fork, &info, &length, &offset, &rate), 0);
  EXPECT_EQ(length, 7u);
  EXPECT_NE(fork, 0);
  EXPECT_EQ(FSClose(fork), noErr);
}

// A player's streaming: the stream opened on the fork, then fed the file's bytes from the data
// offset on through two buffers, the emptied one refilled after each block.
class OggStreamingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    forks_ = CountOpenForks();
    source_ = tmp_.File("sweep.ogg");
    ASSERT_TRUE(MakeOggSweep(source_, 44100, 2, 1.5));
    bytes_ = ReadWholeFile(source_);
    fork_ = OpenRead(source_);
    gOggStream = OggStreamContext();
    uint32_t length = 0;
    float rate = 0;
    ASSERT_EQ(ReadOggStreamInfo(&gOggStream.stream, &fork_, &info_, &length, &dataOffset_, &rate), noErr);
    gOggStream.streamOpen = 1;
    length_ = length;
    for (auto& b : buffers_) b.assign(kBufferBytes, 0);
  }
  void TearDown() override {
    if (gOggStream.streamOpen) CloseOggFile(&gOggStream.stream);
    gOggStream = OggStreamContext();
    gOggChannel = nullptr;
    EXPECT_EQ(fork_, 0);
    EXPECT_EQ(forks_, CountOpenForks());
  }
  // Points the context at the buffers and fills buffer 0 from the file position.
  void StartFeeding(size_t from) {
    next_ = from;
    gOggStream.buffers[0] = buffers_[0].data();
    gOggStream.buffers[1] = buffers_[1].data();
    gOggStream.bufferSize = kBufferBytes;
    gOggStream.remainingItems = int64_t(bytes_.size() - from);
    Refill(0);
  }
  void Refill(int index) {
    std::fill(buffers_[index].begin(), buffers_[index].end(), 0);
    size_t n = std::min(size_t(kBufferBytes), bytes_.size() > next_ ? bytes_.size() - next_ : 0);
    std::memcpy(buffers_[index].data(), bytes_.data() + next_, n);
    next_ += n;
  }
  // Decodes blocks of 16-bit little-endian samples until the stream ends.
  std::vector<int16_t> DecodeAll(int32_t blockBytes, int* blocks, bool* padded) {
    std::vector<int16_t> out;
    uint8_t atEnd = 0;
    *padded = false;
    for (*blocks = 0; !atEnd && *blocks < 10000; ++*blocks) {
      std::vector<int16_t> block(size_t(blockBytes / 2), 0x5555);
      uint8_t decoded = 0;
      EXPECT_EQ(DecodeOggChunk(&gOggStream, &decoded, block.data(), blockBytes, &atEnd), noErr);
      if (gOggStream.emptiedIndex >= 0) {
        Refill(gOggStream.emptiedIndex);
        gOggStream.emptiedIndex = -1;
      }
      out.insert(out.end(), block.begin(), block.end());
    }
    size_t frames = size_t(length_) * 2;
    *padded = out.size() >= frames;
    for (size_t i = frames; i < out.size(); ++i)
      if (out[i] != 0) *padded = false;
    out.resize(std::min(out.size(), frames));
    return out;
  }
  static constexpr int32_t kBufferBytes = 8192;
  TempFolder tmp_;
  std::string source_, bytes_;
  int16_t fork_ = 0;
  int forks_ = 0;
  OggStreamInfo info_;
  uint32_t dataOffset_ = 0;
  int64_t length_ = 0;
  std::vector<uint8_t> buffers_[2];
  size_t next_ = 0;
};

void ExpectNear(const std::vector<int16_t>& ours, const std::vector<float>& reference, size_t first) {
  size_t off = 0;
  for (size_t i = 0; i < ours.size(); ++i)
    if (std::abs(ours[i] - To16(reference[first + i])) > 1 && off++ < 5)
      ADD_FAILURE() << "sample " << i << ": " << ours[i] << " against " << To16(reference[first + i]);
}

TEST_F(OggStreamingTest, TheDescriptionNamesTheStreamAndTheBytesThatFollowTheHeaders) {
  DecodedAudio reference = DecodeWithSndfile(source_);
  EXPECT_EQ(info_.compression, kOggVorbisFormat);
  EXPECT_EQ(info_.sampleSize, 16);
  EXPECT_EQ(info_.channels, 2);
  EXPECT_EQ(info_.sampleRate, 44100.0f);
  EXPECT_EQ(length_, reference.Frames());
  SInt64 position = 0;
  FSGetForkPosition(fork_, &position);
  EXPECT_EQ(int64_t(dataOffset_), position);
  EXPECT_GT(dataOffset_, 0u);
  EXPECT_LT(dataOffset_, bytes_.size());
  EXPECT_EQ(gOggStream.stream.callbacks.read_func, ReadOggBuffered);
}

TEST_F(OggStreamingTest, BlocksFedThroughTwoBuffersDecodeTheWholeStreamAndTheLastIsPadded) {
  StartFeeding(dataOffset_);
  int blocks = 0;
  bool padded = false;
  std::vector<int16_t> ours = DecodeAll(3000, &blocks, &padded);
  DecodedAudio reference = DecodeWithSndfile(source_);
  ASSERT_EQ(ours.size(), reference.samples.size());
  ExpectNear(ours, reference.samples, 0);
  EXPECT_TRUE(padded) << "the block that reaches the end is silence after it";
  EXPECT_GT(blocks, 40);
}

TEST_F(OggStreamingTest, SeekingReadsTheFileDirectlyAndStreamingGoesOnFromThere) {
  constexpr int64_t kFrame = 30011;
  ASSERT_EQ(SeekOggStream(&gOggStream.stream, kFrame), 0);
  EXPECT_EQ(gOggStream.stream.callbacks.read_func, ReadOggBuffered);
  SInt64 position = 0;
  FSGetForkPosition(fork_, &position);
  StartFeeding(size_t(position));
  std::vector<int16_t> block(2048, 0);
  uint8_t decoded = 0, atEnd = 0;
  ASSERT_EQ(DecodeOggChunk(&gOggStream, &decoded, block.data(), 4096, &atEnd), noErr);
  EXPECT_EQ(decoded, 1);
  ExpectNear(block, DecodeWithSndfile(source_).samples, size_t(kFrame) * 2);
}

TEST_F(OggStreamingTest, TheEngineChannelEntryDecodesForTheAttachedChannelOnly) {
  InstallMediaHooks();
  ASSERT_EQ(gStreamMediaHooks.decodeOggStream, DecodeOggChannel);
  EngineChannel channel, other;
  for (EngineChannel* c : {&channel, &other}) {
    c->inputBuffers[0] = buffers_[0].data();
    c->inputBuffers[1] = buffers_[1].data();
    c->inputBytesPerCall = kBufferBytes;
    c->resampleStep = 1.0f;
    c->channelCount = 2;
  }
  channel.decodedBlockBytes = 2048;  // 16-bit output: 512 frames
  other.decodedBlockBytes = 1024;
  other.outputFormat = FourCC("fl32");
  AttachOggChannel(&channel, int64_t(bytes_.size() - dataOffset_));
  StartFeeding(dataOffset_);
  DecodedAudio reference = DecodeWithSndfile(source_);

  std::vector<int16_t> block(1024, 0x5555);
  uint8_t end = 0;
  ASSERT_EQ(gStreamMediaHooks.decodeOggStream(&channel, 0, block.data(), &end), noErr);
  ExpectNear(block, reference.samples, 0);
  EXPECT_EQ(end, 0);

  std::vector<float> silent(256, 1.0f);
  EXPECT_EQ(gStreamMediaHooks.decodeOggStream(&other, 0, silent.data(), &end), kOggStreamErr);
  for (float v : silent) EXPECT_EQ(v, 0.0f);

  // Float output keeps the 16-bit scale: the channel's gains bring it to -1..1.
  gOggChannel = &other;  // the stream goes on for another channel
  std::vector<float> floats(256, 1.0f);
  ASSERT_EQ(gStreamMediaHooks.decodeOggStream(&other, 0, floats.data(), &end), noErr);
  std::vector<int16_t> asInts(floats.begin(), floats.end());
  ExpectNear(asInts, reference.samples, 1024);
}

struct CommentCase {
  const char* name;
  std::vector<std::string> comments;
  std::string title, artist, album;
  int32_t year;
};

TEST(OggComments, KeysMatchAtTheStartInAnyCaseAndValuesKeepTheirOwnCase) {
  TempFolder tmp;
  std::string wav = tmp.File("tone.wav");
  ASSERT_TRUE(RunCommand("sox -n -r 22050 -c 2 -b 16 '" + wav + "' synth 2.0 sine 440 sine 660"));
  std::string longValue(80, 'L');
  const CommentCase cases[] = {
      {"plain keys", {"TITLE=Song", "ARTIST=Someone", "ALBUM=Record", "DATE=2001", "YEAR=1999"}, "Song", "Someone",
       "Record", 1999},
      {"any case", {"artist=Someone Else", "tItLe=MiXeD cAsE"}, "MiXeD cAsE", "Someone Else", "", 0},
      {"keys inside others", {"SUBTITLE=x", "ALBUMARTIST=Other", "TITLEX=y", "ARTIST=Real"}, "", "Real", "", 0},
      {"long value", {"ALBUM=" + longValue}, "", "", longValue.substr(0, 63), 0},
  };
  EXPECT_EQ(CountCommentTagNames(), 4);
  for (const CommentCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string ogg = tmp.File("tagged.ogg");
    std::string command = "oggenc -Q -o '" + ogg + "'";
    for (const std::string& comment : c.comments) command += " -c '" + comment + "'";
    ASSERT_TRUE(RunCommand(command + " '" + wav + "'"));
    FSSpec spec = SpecFor(ogg);
    OggEntryTags tags;
    int forks = CountOpenForks();
    float seconds = ReadOggComments(&spec, &tags);
    EXPECT_EQ(forks, CountOpenForks());
    EXPECT_NEAR(seconds, 2.0f, 0.01f);
    EXPECT_GT(tags.bitRate, 8);
    EXPECT_LT(tags.bitRate, 400);
    EXPECT_EQ(PString(tags.title), c.title);
    EXPECT_EQ(PString(tags.artist), c.artist);
    EXPECT_EQ(PString(tags.album), c.album);
    EXPECT_EQ(tags.year, c.year);
  }
}

TEST(OggComments, AFileThatIsNotOggVorbisGivesNoDurationAndClosesItsFork) {
  TempFolder tmp;
  std::string path = tmp.File("not.ogg");
  ASSERT_TRUE(WriteWholeFile(path, std::string(5000, 'x')));
  FSSpec spec = SpecFor(path);
  OggEntryTags tags;
  int forks = CountOpenForks();
  EXPECT_EQ(ReadOggComments(&spec, &tags), 0.0f);
  FSSpec missing = SpecFor(tmp.File("missing.ogg"));
  EXPECT_EQ(ReadOggComments(&missing, &tags), 0.0f);
  EXPECT_EQ(forks, CountOpenForks());
  EXPECT_EQ(tags.title[0], 0);
}

}  // namespace
