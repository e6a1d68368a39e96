// An audio file at the engine's rate streams through the real engine bit-exact at unity gain:
// an audio track's channel prepared on the null device (the decoder opened on the file's
// description, the region walk refilling its small halves from the file many times over, a
// locate to the middle) is heard in the device's capture as the file's samples exactly, as
// libsndfile reads them, from the start of the pass, then from the located position, then
// silence after the file's end. The signal never repeats, so a half heard twice, skipped, in
// the wrong order or from the wrong place breaks the comparison.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>
#include <vector>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/region_lookup.h"
#include "audio/render/mix_cycle.h"
#include "audio/streams/stream_decoders.h"
#include "audio/streams/stream_reads.h"
#include "audio/streams/stream_refill.h"
#include "audio/streams/track_stream_prepare.h"
#include "platform/coreaudio/null_device.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/transport_engine.h"
#include "tests/audio/streams/pcm_file_header.h"
#include "tests/audio/transport/capture_fixture.h"

namespace {

constexpr int32_t kFrames = 64;           // a device buffer
constexpr int32_t kFileFrames = 12000;    // many halves of the small setting below
constexpr uint32_t kHalfBudget = 1024;    // bytes of a mono half: 4 blocks
constexpr int64_t kLocateTo = 7000;       // the middle of the file
constexpr int32_t kCyclesBeforeLocate = 60;

struct FileCase {
  const char* name;
  int sfFormat;
  int32_t channels;
};

// Sample i of side c: every value differs from its neighbours in every width, and the first
// is not silence.
int32_t SignalAt(int32_t i, int32_t c) { return int32_t((uint32_t(2 * i + c) + 1u) * 0x9E3779B1u); }

bool WriteSignal(const std::string& path, const FileCase& k) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = k.channels;
  info.format = k.sfFormat;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::vector<int32_t> ints(size_t(kFileFrames) * size_t(k.channels));
  for (int32_t i = 0; i < kFileFrames; ++i)
    for (int32_t c = 0; c < k.channels; ++c) ints[size_t(i * k.channels + c)] = SignalAt(i, c);
  if ((k.sfFormat & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT) {
    std::vector<float> x(ints.size());
    for (size_t i = 0; i < x.size(); ++i) x[i] = float(ints[i] >> 8) / 8388608.0f;  // exact in a float
    sf_writef_float(f, x.data(), kFileFrames);
  } else {
    sf_writef_int(f, ints.data(), kFileFrames);
  }
  return sf_close(f) == 0;
}

// Interleaved float frames of a file as libsndfile reads them (integers scaled to -1.0..1.0).
std::vector<float> ReadFloats(const std::string& path, int32_t* channels) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<float> x(size_t(info.frames) * size_t(info.channels));
  sf_readf_float(f, x.data(), info.frames);
  sf_close(f);
  *channels = info.channels;
  return x;
}


class FileStreamTest : public CaptureTest {
 protected:
  void Open(int32_t frames, uint32_t halfBudget) {
    gStreamBufferBytes = halfBudget;
    OpenCapture(frames, "heard.wav");
    gTransportSong = MakeSong({Track({})}, {});
  }
  // The file written, its header read and its fork open; its samples as libsndfile reads them.
  void MakeFile(const FileCase& k, stream_test::FileFormat* f, std::vector<float>* samples, int32_t* channels) {
    std::string path = folder_.File(std::string(k.name) + (k.sfFormat & SF_FORMAT_WAV ? ".wav" : ".aif"));
    ASSERT_TRUE(WriteSignal(path, k));
    ASSERT_TRUE(stream_test::ParseHeader(stream_test::ReadAll(path), f));
    wave_ = f->wave;
    fork_ = stream_test::OpenReadFork(path);
    ASSERT_NE(fork_, 0);
    *samples = ReadFloats(path, channels);
    ASSERT_EQ(samples->size(), size_t(kFileFrames) * size_t(k.channels));
  }
  void TearDown() override {
    CaptureTest::TearDown();
    gStreamBufferBytes = kDefaultStreamBufferBytes;
    if (fork_) FSCloseFork(fork_);
  }
  // The track's channel as its preparation receives it: the file's fork, its format and
  // description, one region that plays the file's frames from its data on.
  EngineChannel* AddFileChannel(const stream_test::FileFormat& f) {
    description_ = AudioFileDescription();
    description_.waveFormat = f.wave.empty() ? nullptr : wave_.data();
    description_.waveFormatBytes = uint32_t(wave_.size());
    Handle regions = NewHandleClear(kRegionSize);
    auto* region = reinterpret_cast<uint8_t*>(*regions);
    WriteU32BE(region + kRegionFileOffsetAt, f.dataOffset);
    SetRegionLength(region, kFileFrames);
    return CaptureTest::AddFileChannel(fork_, f.format, uint16_t(f.width), f.channels, &description_, regions);
  }
  // Closes the output and answers what was heard, interleaved stereo.
  std::vector<float> HeardStereo() {
    CloseCoreAudioOutput();
    SetNullDeviceCapturePath(nullptr);
    int32_t channels = 0;
    std::vector<float> x = ReadFloats(wav_, &channels);
    return channels == 2 ? x : std::vector<float>();
  }
  static size_t FirstSound(const std::vector<float>& heard) {
    size_t first = 0;
    while (first < heard.size() / 2 && heard[2 * first] == 0.0f) ++first;
    return first;
  }
  // The held engine's locate: the stream prepared again at the position.
  void LocateHeld(EngineChannel* c, int64_t position) {
    ASSERT_TRUE(HoldEngineWorkers(true, kHoldWorkersMillis));
    EXPECT_EQ(PrepareAudioTrackStream(c, position, c->sampleRate), 0);
    HoldEngineWorkers(false, 0);
  }

  FSIORefNum fork_ = 0;
  std::vector<uint8_t> wave_;
  AudioFileDescription description_;
};

class FileStreaming : public FileStreamTest, public ::testing::WithParamInterface<FileCase> {
 protected:
  void SetUp() override {
    FileStreamTest::SetUp();
    Open(kFrames, kHalfBudget);
  }
};

// Frames of the capture (interleaved stereo) from `at` equal the file's frames from `from`
// on, both sides (a mono file on both, the first two channels of a wider one); answers how many matched before the first difference.
size_t Matching(const std::vector<float>& heard, size_t at, const std::vector<float>& file, int32_t channels,
                size_t from) {
  size_t n = 0;
  for (; at + n < heard.size() / 2 && from + n < file.size() / size_t(channels); ++n) {
    float left = file[(from + n) * size_t(channels)];
    float right = file[(from + n) * size_t(channels) + (channels > 1 ? 1 : 0)];
    if (heard[2 * (at + n)] != left || heard[2 * (at + n) + 1] != right) break;
  }
  return n;
}


}  // namespace

TEST_P(FileStreaming, IsHeardBitExactAcrossRefillsAndALocate) {
  const FileCase& k = GetParam();
  stream_test::FileFormat f;
  std::vector<float> file;
  int32_t channels = 0;
  ASSERT_NO_FATAL_FAILURE(MakeFile(k, &f, &file, &channels));

  EngineChannel* c = AddFileChannel(f);
  ASSERT_NE(c, nullptr);
  ::Play(1);
  ASSERT_EQ(gEngineError.load(), 0);
  ASSERT_NE(c->decodeProc == nullptr && c->reader == nullptr, true);
  const uint32_t diskTaken = gDiskQueue.messagesTaken.load();
  const uint32_t served = c->halfCompleted[0].load() + c->halfCompleted[1].load();
  PlayServedCycles(c, kCyclesBeforeLocate);
  const uint32_t refills = c->halfCompleted[0].load() + c->halfCompleted[1].load() - served;
  EXPECT_GE(refills, 2u);
  EXPECT_GE(gDiskQueue.messagesTaken.load() - diskTaken, refills) << "the refills are the disk worker's";
  LocateHeld(c, kLocateTo);
  const int32_t after = (kFileFrames - int32_t(kLocateTo)) / kFrames + 8;
  PlayServedCycles(c, after);
  EXPECT_GE(c->halfCompleted[0].load() + c->halfCompleted[1].load(), 10u) << "many refills";
  EXPECT_EQ(gEngineError.load(), 0) << "no underrun";
  StopTransport(false);

  std::vector<float> heard = HeardStereo();
  ASSERT_FALSE(heard.empty());
  size_t first = FirstSound(heard);
  // Priming takes the first two buffers of a start: the warm-up, then the first block.
  EXPECT_EQ(first, size_t(2 * kFrames));
  size_t before = Matching(heard, first, file, channels, 0);
  // Everything mixed before the locate is heard from the file's start, then the located part.
  EXPECT_GE(before, size_t(kCyclesBeforeLocate - 2) * kFrames);
  EXPECT_LE(before, size_t(kCyclesBeforeLocate + 1) * kFrames);
  // The held locate's seam: the block mixed before it and not yet heard is silent.
  size_t resume = first + before;
  size_t located = 0;
  for (; resume <= first + before + 2 * kFrames; ++resume) {
    located = Matching(heard, resume, file, channels, size_t(kLocateTo));
    if (located >= size_t(kFrames)) break;
  }
  for (size_t i = first + before; i < resume; ++i) ASSERT_EQ(heard[2 * i], 0.0f) << "the seam is silent";
  EXPECT_EQ(located, size_t(kFileFrames - kLocateTo)) << "from the locate to the file's end";
  for (size_t i = 2 * (resume + located); i < heard.size(); ++i)
    ASSERT_EQ(heard[i], 0.0f) << "silence after the file's end, frame " << i / 2;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileStreaming,
    ::testing::Values(FileCase{"aiff_s8_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 1},
                      FileCase{"aiff_s8_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 2},
                      FileCase{"aiff_s16_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1},
                      FileCase{"aiff_s16_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2},
                      FileCase{"aiff_s24_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1},
                      FileCase{"aiff_s24_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2},
                      FileCase{"aiff_s32_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 1},
                      FileCase{"aiff_s32_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 2},
                      FileCase{"aifc_float_mono", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 1},
                      FileCase{"aifc_float_stereo", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2},
                      FileCase{"aifc_float_quad", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 4},
                      FileCase{"aifc_sowt16_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 1},
                      FileCase{"aifc_sowt24_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_24 | SF_ENDIAN_LITTLE, 2},
                      FileCase{"aifc_sowt32_mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_32 | SF_ENDIAN_LITTLE, 1},
                      FileCase{"wav_u8_mono", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1},
                      FileCase{"wav_s16_stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2},
                      FileCase{"wav_s24_mono", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1},
                      FileCase{"wav_s32_stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 2},
                      FileCase{"wav_float_mono", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1},
                      FileCase{"wav_float_stereo", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2}),
    [](const ::testing::TestParamInfo<FileCase>& i) { return std::string(i.param.name); });

// A locate while the engine plays: the half playing is heard to its end, then the mix cycle
// waits for the refill from the new position and plays on from there, without a seam.
TEST_F(FileStreamTest, ALocateWhilePlayingGoesOnFromTheNewPositionAfterTheHalf) {
  constexpr int32_t kBuffer = 256;  // the refill after the locate has a buffer's time
  Open(kBuffer, 4096);              // four blocks a half
  stream_test::FileFormat f;
  std::vector<float> file;
  int32_t channels = 0;
  ASSERT_NO_FATAL_FAILURE(MakeFile(FileCase{"aiff_s24_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2}, &f, &file,
                                   &channels));
  EngineChannel* c = AddFileChannel(f);
  ASSERT_NE(c, nullptr);
  ::Play(1);
  ASSERT_EQ(c->blocksPerHalf, 4);
  PlayServedCycles(c, 9);
  EXPECT_EQ(RelocateStream(c, kLocateTo), kLocateTo);
  EXPECT_FALSE(WaitForStreamsAfterLocate(0)) << "nothing mixes while the test holds the device";
  PlayServedCycles(c, (kFileFrames - int32_t(kLocateTo)) / kBuffer + 8);
  EXPECT_EQ(gRefillPending.load(), 0);
  EXPECT_EQ(gEngineError.load(), 0) << "no underrun";
  StopTransport(false);

  std::vector<float> heard = HeardStereo();
  ASSERT_FALSE(heard.empty());
  size_t first = FirstSound(heard);
  size_t before = Matching(heard, first, file, channels, 0);
  EXPECT_EQ(before % size_t(4 * kBuffer), 0u) << "the playing half is heard to its end";
  EXPECT_GE(before, size_t(8 * kBuffer));
  size_t located = Matching(heard, first + before, file, channels, size_t(kLocateTo));
  EXPECT_EQ(located, size_t(kFileFrames - kLocateTo)) << "from the locate to the file's end";
  for (size_t i = 2 * (first + before + located); i < heard.size(); ++i)
    ASSERT_EQ(heard[i], 0.0f) << "silence after the file's end, frame " << i / 2;
}

// A reverse channel located at a position plays the file backwards from the frame before it to
// the file's first frame, then silence.
TEST_F(FileStreamTest, AReverseChannelPlaysTheFileBackwardsFromItsPosition) {
  Open(kFrames, kHalfBudget);
  stream_test::FileFormat f;
  std::vector<float> file;
  int32_t channels = 0;
  ASSERT_NO_FATAL_FAILURE(MakeFile(FileCase{"aiff_s16_stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2}, &f, &file,
                                   &channels));
  EngineChannel* c = AddFileChannel(f);
  ASSERT_NE(c, nullptr);
  ::Play(1);
  PlayServedCycles(c, 4);
  c->reverse = 1;
  constexpr int64_t kFrom = 3000;
  LocateHeld(c, kFrom);
  PlayServedCycles(c, int32_t(kFrom) / kFrames + 8);
  EXPECT_EQ(gEngineError.load(), 0) << "no underrun";
  StopTransport(false);

  std::vector<float> heard = HeardStereo();
  ASSERT_FALSE(heard.empty());
  std::vector<float> backwards;
  for (int64_t p = kFrom - 1; p >= 0; --p) {
    backwards.push_back(file[size_t(2 * p)]);
    backwards.push_back(file[size_t(2 * p + 1)]);
  }
  size_t at = 0;
  while (at < heard.size() / 2 && Matching(heard, at, backwards, 2, 0) < size_t(kFrames)) ++at;
  ASSERT_LT(at, heard.size() / 2) << "the backwards run is heard";
  EXPECT_EQ(Matching(heard, at, backwards, 2, 0), size_t(kFrom));
  for (size_t i = 2 * (at + size_t(kFrom)); i < heard.size(); ++i)
    ASSERT_EQ(heard[i], 0.0f) << "silence after the file's first frame, frame " << i / 2;
}
