// The overview of a track's audio against a plain per-tick minimum and maximum of the samples
// it plays, read independently by libsndfile: ramps and sines made by sox, stereo and mono,
// of several widths and byte orders, odd lengths, a silent region between two parts of the
// file, in 4/4 at 120 and in 6/8 with a tempo change.
#include <gtest/gtest.h>

#include "media/overview/overview_blocks.h"
#include "media/overview/overview_compute.h"
#include "platform/memory/memory.h"
#include "song/model/song_context.h"
#include "tests/media/overview/overview_fixture.h"

namespace {

using namespace overview_test;

class OverviewCompute : public ConductorTest {
 protected:
  zarin_test::TempFolder tmp_;

  void SixEightWithTempoChange() {
    MeterAt(1, 6, 8);
    TempoAt(1, 1333);
    TempoAt(1777, 977);
  }

  // The file played as {part, a silent stretch, the rest}, with the parts cut at odd frames.
  static std::vector<Piece> Pieces(int64_t frames) {
    int64_t cut = frames / 3 + 7;
    return {{0, cut, false}, {0, 4801, true}, {cut, frames - cut, false}};
  }

  void ExpectOverviewOf(const std::string& path, const std::vector<Piece>& pieces, float rate) {
    PlayedFile file;
    ASSERT_TRUE(file.Open(path));
    Samples played = PlayedSamples(ReadSamples(path), pieces);
    OverviewSource source;
    source.regions = file.MakeRegions(pieces);
    source.encoding = file.format;
    source.bits = file.bits;
    source.channels = file.channels;
    source.rate = rate;
    source.song = gCurrentSongHandle;
    Handle chain;
    ASSERT_EQ(noErr, ComputeOverviewChain(&source, 1, 0, &chain));
    std::vector<std::vector<TickValue>> want = ExpectedOverview(played, rate);
    ASSERT_EQ(file.channels, CountOverviewBlocks(chain));
    for (int32_t c = 0; c < file.channels; ++c) {
      SCOPED_TRACE(testing::Message() << "channel " << c);
      Handle block = OverviewBlockForChannel(chain, c);
      EXPECT_EQ(file.channels, OverviewBlockChannels(block));
      std::vector<TickValue> got = Padded(BlockTicks(block), want[size_t(c)].size());
      ASSERT_EQ(want[size_t(c)].size(), got.size());
      int32_t loud = 0;
      for (size_t t = 0; t < got.size(); ++t) {
        loud += want[size_t(c)][t].has_value();
        ASSERT_EQ(want[size_t(c)][t], got[t]) << "tick " << t + 1;
      }
      EXPECT_GT(loud, 100);
    }
    DisposeOverviewBlocks(chain);
    DisposeHandle(source.regions);
  }
};

TEST_F(OverviewCompute, EqualsTheMinimumAndMaximumOfEachTickOfThePlayedSamples) {
  struct Case {
    const char* name;
    const char* sox;
    int32_t rate;
  };
  const Case cases[] = {
      {"ramp and sine, 16-bit stereo", "-r 48000 -c 2 -b 16 synth 1.00123 sawtooth 3 sine 440", 48000},
      {"sine, 24-bit mono", "-r 44100 -c 1 -b 24 synth 0.7771 sine 97", 44100},
      {"ramp, 8-bit mono", "-r 22050 -c 1 -b 8 synth 0.9133 sawtooth 5", 22050},
      {"ramp and sine, float stereo", "-r 48000 -c 2 -e floating-point -b 32 synth 0.8011 sawtooth 4 sine 300", 48000},
  };
  for (bool sixEight : {false, true}) {
    if (sixEight) SixEightWithTempoChange();
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << (sixEight ? ", 6/8 with a tempo change" : ", 4/4"));
      bool isFloat = std::string(c.sox).find("floating") != std::string::npos;
      std::string path = tmp_.File("case" + std::to_string(&c - cases) + (isFloat ? ".aifc" : ".aiff"));
      ASSERT_TRUE(MakeSoxFile(path, c.sox));
      Samples s = ReadSamples(path);
      ExpectOverviewOf(path, Pieces(s.frames), float(c.rate));
    }
  }
}

// Little-endian samples read as the same values as their big-endian twin.
TEST_F(OverviewCompute, LittleEndianSamplesGiveTheSameOverview) {
  std::string big = tmp_.File("big.aiff"), little = tmp_.File("little.aifc");
  ASSERT_TRUE(MakeSoxFile(big, "-r 48000 -c 2 -b 16 synth 0.5013 sawtooth 3 sine 440"));
  ASSERT_TRUE(WriteSowtCopy(big, little));
  PlayedFile file;
  ASSERT_TRUE(file.Open(little));
  EXPECT_EQ(FourCC("sowt"), file.format);
  Samples s = ReadSamples(big);
  std::vector<Piece> pieces = Pieces(s.frames);
  OverviewSource source;
  source.regions = file.MakeRegions(pieces);
  source.encoding = file.format;
  source.bits = 16;
  source.channels = 2;
  source.rate = 48000;
  source.song = gCurrentSongHandle;
  Handle chain;
  ASSERT_EQ(noErr, ComputeOverviewChain(&source, 1, 0, &chain));
  std::vector<std::vector<TickValue>> want = ExpectedOverview(PlayedSamples(s, pieces), 48000);
  for (int32_t c = 0; c < 2; ++c)
    EXPECT_EQ(want[size_t(c)], Padded(BlockTicks(OverviewBlockForChannel(chain, c)), want[size_t(c)].size()));
  DisposeOverviewBlocks(chain);
  DisposeHandle(source.regions);
}

// Pure silence gives runs only, a range gives only its ticks, and what cannot be computed
// says why and leaves nothing behind.
TEST_F(OverviewCompute, SilenceRangesAndRefusals) {
  std::string path = tmp_.File("s.aiff");
  ASSERT_TRUE(MakeSoxFile(path, "-r 48000 -c 2 -b 16 synth 0.6 sine 200"));
  PlayedFile file;
  ASSERT_TRUE(file.Open(path));
  Samples s = ReadSamples(path);
  uint32_t handles = CountLiveHandles();
  OverviewSource source;
  source.encoding = file.format;
  source.bits = 16;
  source.channels = 2;
  source.rate = 48000;
  source.song = gCurrentSongHandle;

  source.regions = file.MakeRegions({{0, 96000, true}});
  Handle chain;
  ASSERT_EQ(noErr, ComputeOverviewChain(&source, 1, 0, &chain));
  for (Handle b = chain; b; b = OverviewBlockNext(b)) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(*b);
    for (int32_t i = 0; i < OverviewBlockCount(b); ++i) EXPECT_EQ(kOverviewRunMark, p[kOverviewHeaderBytes + i * 2]);
    EXPECT_EQ(7, OverviewBlockCount(b));  // 1920 ticks in runs of 255: the last run is not in use
  }
  DisposeOverviewBlocks(chain);
  DisposeHandle(source.regions);

  std::vector<Piece> whole = {{0, s.frames, false}};
  source.regions = file.MakeRegions(whole);
  ASSERT_EQ(noErr, ComputeOverviewChain(&source, 101, 300, &chain));
  std::vector<TickValue> want = ExpectedOverview(PlayedSamples(s, whole), 48000)[0];
  std::vector<TickValue> got = BlockTicks(chain);
  ASSERT_EQ(199u, got.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(want[100 + i], got[i]) << "tick " << 101 + i;
  DisposeOverviewBlocks(chain);

  source.encoding = FourCC("MAC3");
  EXPECT_EQ(kOverviewUnreadableFormat, ComputeOverviewChain(&source, 1, 0, &chain));
  source.encoding = file.format;
  reinterpret_cast<uint8_t*>(*source.regions)[29] = 0;
  EXPECT_EQ(kOverviewNoFrameSize, ComputeOverviewChain(&source, 1, 0, &chain));
  EXPECT_EQ(Handle(), chain);
  DisposeHandle(source.regions);
  EXPECT_EQ(handles, CountLiveHandles());
}

}  // namespace
