// Edited region lists heard through the real engine on the null device: a channel handed a
// 16-bit file plays each edited list (split, trim, delete, silence, move, paste, repeat), and
// the capture holds exactly the file frames and silence that the edit describes, computed
// here independently of the list. The file's samples never repeat, so a frame from the wrong
// place, a lost or doubled frame or a border one frame off breaks the comparison.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/regions/region_lists.h"
#include "audio/regions/region_placement.h"
#include "audio/render/mix_cycle.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_refill.h"
#include "platform/coreaudio/null_device.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/transport_engine.h"
#include "song/model/audio_region.h"
#include "tests/audio/streams/pcm_file_header.h"
#include "tests/audio/transport/capture_fixture.h"

namespace {

constexpr int32_t kFrames = 64;
constexpr int32_t kFileFrames = 8000;
constexpr int32_t kBytesPerFrame = 2;

int16_t SampleAt(int32_t i) { return int16_t(1 + (i * 7919) % 32000); }

// What a list should sound like: file frames [from, from + frames), or silence (from -1).
struct Part {
  int32_t from;
  int32_t frames;
};

std::vector<float> Expected(const std::vector<Part>& parts) {
  std::vector<float> out;
  for (const Part& p : parts)
    for (int32_t i = 0; i < p.frames; ++i) out.push_back(p.from < 0 ? 0.0f : float(SampleAt(p.from + i)) / 32768.0f);
  return out;
}

struct CaptureCase {
  const char* name;
  void (*edit)(Handle list);
  std::vector<Part> heard;
};

class RegionEditCapture : public CaptureTest, public ::testing::WithParamInterface<CaptureCase> {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    gStreamBufferBytes = 1024;
    OpenCapture(kFrames, "heard.wav");
    gTransportSong = MakeSong({Track({})}, {});
    std::string path = folder_.File("ramp.aif");
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    std::vector<int16_t> samples(kFileFrames);
    for (int32_t i = 0; i < kFileFrames; ++i) samples[size_t(i)] = SampleAt(i);
    sf_writef_short(f, samples.data(), kFileFrames);
    sf_close(f);
    ASSERT_TRUE(stream_test::ParseHeader(stream_test::ReadAll(path), &format_));
    fork_ = stream_test::OpenReadFork(path);
    ASSERT_NE(fork_, 0);
  }
  void TearDown() override {
    CaptureTest::TearDown();
    gStreamBufferBytes = kDefaultStreamBufferBytes;
    if (fork_) FSCloseFork(fork_);
  }
  // One region playing the whole file from its data on.
  Handle WholeFileList() {
    Handle list = NewHandleClear(kRegionSize);
    uint8_t* region = RegionRecord(list, 0);
    WriteU32BE(region + kRegionFileOffsetAt, format_.dataOffset);
    region[kRegionBytesPerFrameAt] = kBytesPerFrame;
    region[kRegionNameAt] = 4;
    std::memcpy(region + kRegionNameAt + 1, "ramp", 4);
    InitRegionLength(region, kBytesPerFrame, kFileFrames, true);
    return list;
  }
  EngineChannel* AddChannel(Handle list) {
    return AddFileChannel(fork_, format_.format, uint16_t(format_.width), format_.channels, &description_, list);
  }

  stream_test::FileFormat format_;
  FSIORefNum fork_ = 0;
  AudioFileDescription description_;
};

}  // namespace

TEST_P(RegionEditCapture, IsHeardAsTheEditDescribes) {
  Handle list = WholeFileList();
  GetParam().edit(list);
  std::vector<float> expected = Expected(GetParam().heard);
  EngineChannel* c = AddChannel(list);
  ASSERT_NE(c, nullptr);
  ::Play(1);
  ASSERT_EQ(gEngineError.load(), 0);
  PlayServedCycles(c, int32_t(expected.size()) / kFrames + 8);
  EXPECT_EQ(gEngineError.load(), 0) << "no underrun";
  StopTransport(false);
  CloseCoreAudioOutput();
  SetNullDeviceCapturePath(nullptr);
  std::vector<float> heard = capture_test::ReadLeft(wav_);
  // Priming takes the first two buffers of a start: the warm-up, then the first block.
  const size_t first = size_t(2 * kFrames);
  ASSERT_GE(heard.size(), first + expected.size());
  for (size_t i = 0; i < first; ++i) ASSERT_EQ(heard[i], 0.0f) << "frame " << i;
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(heard[first + i], expected[i]) << "frame " << i;
  for (size_t i = first + expected.size(); i < heard.size(); ++i) ASSERT_EQ(heard[i], 0.0f) << "after, frame " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RegionEditCapture,
    ::testing::Values(
        CaptureCase{"Split", [](Handle l) { EXPECT_EQ(SplitRegionAt(l, 2001, 5003), noErr); }, {{0, kFileFrames}}},
        CaptureCase{"Trim",
                    [](Handle l) {
                      bool remove = true;
                      EXPECT_EQ(SetRegionRange(l, 0, 1001, &remove, false), noErr);
                      EXPECT_EQ(SetRegionRange(l, 6000, kFileFrames - 1001, &remove, false), noErr);
                      NormalizeRegionList(l, false);
                    },
                    {{1001, 6000}}},
        CaptureCase{"Delete",
                    [](Handle l) {
                      bool remove = true;
                      EXPECT_EQ(SetRegionRange(l, 3000, 4097, &remove, false), noErr);
                      NormalizeRegionList(l, false);
                    },
                    {{0, 3000}, {4097, kFileFrames - 4097}}},
        CaptureCase{"Silence",
                    [](Handle l) {
                      bool remove = false;
                      EXPECT_EQ(SetRegionRange(l, 3000, 4097, &remove, false), noErr);
                      NormalizeRegionList(l, false);
                    },
                    {{0, 3000}, {-1, 1097}, {4097, kFileFrames - 4097}}},
        CaptureCase{"Move",
                    [](Handle l) {
                      EXPECT_EQ(InsertSilence(l, 0, 1500), noErr);
                      NormalizeRegionList(l, false);
                    },
                    {{-1, 1500}, {0, kFileFrames}}},
        CaptureCase{"Paste",
                    [](Handle l) {
                      Handle clip = NewHandle(kRegionSize);
                      BlockMoveData(RegionRecord(l, 0), HandleData(clip), kRegionSize);
                      bool remove = true;
                      ASSERT_EQ(SetRegionRange(clip, 0, 6000, &remove, false), noErr);
                      ASSERT_EQ(SetRegionRange(clip, 500, 2000, &remove, false), noErr);
                      ASSERT_EQ(SplitRegionAt(l, 2000, 2000), noErr);
                      EXPECT_EQ(PasteRegions(clip, 1, 2, l, 1, 0, 0, 0), noErr);
                      DisposeHandle(clip);
                    },
                    {{0, 2000}, {6000, 500}, {2000, kFileFrames - 2000}}},
        CaptureCase{"Repeat",
                    [](Handle l) {
                      bool remove = true;
                      ASSERT_EQ(SetRegionRange(l, 3000, kFileFrames, &remove, false), noErr);
                      ASSERT_EQ(SetRegionRange(l, 0, 2000, &remove, false), noErr);
                      NormalizeRegionList(l, false);
                      ASSERT_EQ(CountAudioRegions(l), 1);
                      Handle once = NewHandle(kRegionSize);
                      BlockMoveData(RegionRecord(l, 0), HandleData(once), kRegionSize);
                      EXPECT_EQ(PasteRegions(once, 0, 1, l, 1, 0, 0, 0), noErr);
                      EXPECT_EQ(PasteRegions(once, 0, 1, l, 2, 0, 0, 0), noErr);
                      DisposeHandle(once);
                    },
                    {{2000, 1000}, {2000, 1000}, {2000, 1000}}}),
    [](const ::testing::TestParamInfo<CaptureCase>& i) { return std::string(i.param.name); });
