// Ogg Vorbis files decoded into AIFF files as import takes them in: real files nobody here
// wrote and sweeps made by sox, checked against libsndfile's own decode of the same file,
// sample by sample within the codec's rounding; and the failures, which leave nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "audio/recording/aiff_header.h"
#include "audio/recording/audio_file_header.h"
#include "media/ogg_to_aiff.h"
#include "media/ogg_vorbis_file.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "shell/base/progress_hooks.h"
#include "tests/media/ogg_files.h"
#include "tests/test_support.h"

using namespace zarin_test;

namespace {

bool FileExists(const std::string& path) { return !ReadWholeFile(path).empty(); }

struct AiffContents {
  uint8_t description[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t offset = 0;
  float rate = 0;
  OSErr err = -1;
  std::vector<int16_t> samples;
};

AiffContents ReadAiff(const std::string& path) {
  AiffContents a;
  FSSpec spec = SpecFor(path);
  int16_t fork = 0;
  if (FSpOpenDF(&spec, fsRdPerm, &fork)) return a;
  a.err = ReadAiffHeader(fork, a.description, &a.frames, &a.offset, &a.rate);
  FSClose(fork);
  std::string bytes = ReadWholeFile(path);
  for (size_t i = a.offset; i + 1 < bytes.size(); i += 2)
    a.samples.push_back(int16_t(ReadU16BE(reinterpret_cast<const uint8_t*>(bytes.data()) + i)));
  return a;
}

// Every decoded sample within one step of the independent decode.
void ExpectSamplesMatch(const std::vector<int16_t>& ours, const DecodedAudio& reference) {
  ASSERT_EQ(ours.size(), reference.samples.size());
  size_t off = 0;
  for (size_t i = 0; i < ours.size(); ++i)
    if (std::abs(ours[i] - To16(reference.samples[i])) > 1 && off++ < 5)
      ADD_FAILURE() << "sample " << i << ": " << ours[i] << " against " << To16(reference.samples[i]);
  EXPECT_EQ(off, 0u);
}

class OggToAiffTest : public ::testing::Test {
 protected:
  void SetUp() override { forks_ = CountOpenForks(); }
  void TearDown() override {
    EXPECT_EQ(forks_, CountOpenForks()) << "forks left open";
    gProgressHooks = {};
  }
  OSErr Convert(const std::string& source, const std::string& destination) {
    FSSpec from = SpecFor(source), to = SpecFor(destination);
    return ConvertOggToAiffFile(&from, &to);
  }
  TempFolder tmp_;
  int forks_ = 0;
};

struct ConversionCase {
  const char* name;
  std::string source;  // a theme sound, or empty for a sweep of the rate and channels below
  int rate;
  int channels;
};

TEST_F(OggToAiffTest, DecodesRealAndMadeFilesToSixteenBitAiffSampleForSample) {
  const ConversionCase cases[] = {
      {"theme stereo 44100", ThemeSound("bell.oga"), 44100, 2},
      {"theme mono 48000", ThemeSound("audio-test-signal.oga"), 48000, 1},
      {"sweep stereo 44100", "", 44100, 2},
      {"sweep mono 22050", "", 22050, 1},
      {"sweep stereo 11025", "", 11025, 2},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string source = c.source;
    if (source.empty()) {
      source = tmp_.File(std::string("sweep") + std::to_string(c.rate) + ".ogg");
      ASSERT_TRUE(MakeOggSweep(source, c.rate, c.channels, 1.3));
    }
    std::string out = tmp_.File(std::string(c.name) + ".AIF");
    ASSERT_EQ(Convert(source, out), noErr);
    AiffContents a = ReadAiff(out);
    ASSERT_EQ(a.err, noErr);
    EXPECT_EQ(ReadI16BE(a.description + kSoundDescBits), 16);
    EXPECT_EQ(ReadI16BE(a.description + kSoundDescChannels), c.channels);
    EXPECT_EQ(a.rate, float(c.rate));
    DecodedAudio reference = DecodeWithSndfile(source);
    ASSERT_EQ(reference.channels, c.channels);
    EXPECT_EQ(int64_t(a.frames), reference.Frames());
    ExpectSamplesMatch(a.samples, reference);
  }
}

TEST_F(OggToAiffTest, FilesThatAreNotOggVorbisAreRefusedAndLeaveNothing) {
  std::string wav = tmp_.File("tone.wav");
  ASSERT_TRUE(RunCommand("sox -n -r 8000 -c 1 '" + wav + "' synth 0.2 sine 440"));
  std::string garbage = tmp_.File("garbage.ogg");
  ASSERT_TRUE(WriteWholeFile(garbage, std::string("OggS") + std::string(3000, '\x5a')));
  std::string empty = tmp_.File("empty.ogg");
  ASSERT_TRUE(WriteWholeFile(empty, ""));
  std::string cut = tmp_.File("cut.ogg");
  ASSERT_TRUE(WriteWholeFile(cut, ReadWholeFile(ThemeSound("bell.oga")).substr(0, 200)));
  for (const std::string& source : {wav, garbage, empty, cut}) {
    SCOPED_TRACE(source);
    std::string out = tmp_.File("out.AIF");
    EXPECT_EQ(Convert(source, out), kNotOggVorbisErr);
    EXPECT_FALSE(FileExists(out));
  }
}

TEST_F(OggToAiffTest, NamesAndAnExistingDestinationAreRefusedUntouched) {
  std::string source = ThemeSound("complete.oga");
  std::string existing = tmp_.File("taken.AIF");
  ASSERT_TRUE(WriteWholeFile(existing, "keep me"));
  EXPECT_EQ(Convert(source, existing), dupFNErr);
  EXPECT_EQ(ReadWholeFile(existing), "keep me");

  FSSpec from = SpecFor(source), unnamed = SpecFor(tmp_.File("x.AIF"));
  unnamed.name[0] = 0;
  EXPECT_EQ(ConvertOggToAiffFile(&from, &unnamed), memFullErr);
  FSSpec noSource = from;
  noSource.name[0] = 0;
  FSSpec to = SpecFor(tmp_.File("y.AIF"));
  EXPECT_EQ(ConvertOggToAiffFile(&noSource, &to), fnfErr);
  EXPECT_FALSE(FileExists(tmp_.File("y.AIF")));
  FSSpec missing = SpecFor(tmp_.File("missing.ogg"));
  EXPECT_EQ(ConvertOggToAiffFile(&missing, &to), fnfErr);
  EXPECT_FALSE(FileExists(tmp_.File("y.AIF")));
}

// A page taken out of the middle is a gap the reader reports: decoding goes on after it, and
// what follows decodes as in the whole file.
TEST_F(OggToAiffTest, AStreamWithAGapKeepsDecodingAfterIt) {
  std::string whole = tmp_.File("whole.ogg");
  ASSERT_TRUE(MakeOggSweep(whole, 44100, 2, 8.0));
  std::string bytes = ReadWholeFile(whole);
  std::vector<size_t> pages;
  for (size_t at = bytes.find("OggS"); at != std::string::npos; at = bytes.find("OggS", at + 4)) pages.push_back(at);
  ASSERT_GT(pages.size(), 6u);
  size_t k = pages.size() / 2;
  std::string gapped = tmp_.File("gapped.ogg");
  ASSERT_TRUE(WriteWholeFile(gapped, bytes.substr(0, pages[k]) + bytes.substr(pages[k + 1])));
  std::string out = tmp_.File("gapped.AIF");
  ASSERT_EQ(Convert(gapped, out), noErr);
  AiffContents a = ReadAiff(out);
  DecodedAudio reference = DecodeWithSndfile(whole);
  ASSERT_GT(a.samples.size(), reference.samples.size() / 2);
  ASSERT_LT(a.samples.size(), reference.samples.size());
  std::vector<int16_t> tail(a.samples.end() - 2000, a.samples.end());
  DecodedAudio referenceTail = reference;
  referenceTail.samples.assign(reference.samples.end() - 2000, reference.samples.end());
  ExpectSamplesMatch(tail, referenceTail);
}

TEST_F(OggToAiffTest, CancellingTheProgressLeavesNoFile) {
  static int calls;
  calls = 0;
  gProgressHooks.open = [](int16_t message, int32_t total) -> int16_t {
    EXPECT_EQ(message, kProgressConvertingFile);
    EXPECT_GT(total, 0);
    return 0;
  };
  gProgressHooks.setValue = [](int32_t) -> int16_t { return ++calls == 3 ? kProgressCancelledErr : 0; };
  gProgressHooks.close = [] {};
  std::string out = tmp_.File("cancelled.AIF");
  EXPECT_EQ(Convert(ThemeSound("complete.oga"), out), kProgressCancelledErr);
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(FileExists(out));
}

// Decoding into a fork the caller opened: the header at its start carries the final length.
TEST_F(OggToAiffTest, DecodeIntoAnOpenForkWritesTheFinalHeaderAtTheStart) {
  std::string out = tmp_.File("into.AIF");
  ASSERT_TRUE(WriteWholeFile(out, ""));
  FSSpec from = SpecFor(ThemeSound("dialog-warning.oga")), to = SpecFor(out);
  int16_t fork = 0;
  ASSERT_EQ(FSpOpenDF(&to, fsRdWrPerm, &fork), noErr);
  ASSERT_EQ(FSSetForkPosition(fork, fsFromStart, 0), noErr);
  EXPECT_EQ(DecodeOggToAiff(&from, fork), noErr);
  FSClose(fork);
  AiffContents a = ReadAiff(out);
  ASSERT_EQ(a.err, noErr);
  EXPECT_EQ(int64_t(a.frames), DecodeWithSndfile(ThemeSound("dialog-warning.oga")).Frames());
  EXPECT_EQ(a.samples.size(), a.frames * 2);
}

}  // namespace
