#include <sndfile.h>
#include <unistd.h>

#include <atomic>
#include <vector>

#include "tests/platform/coreaudio/audio_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace audio_test;

class NullCaptureTest : public AudioTest {
 protected:
  zarin_test::TempFolder folder_;
};

// Writes a ramp that numbers every frame it plays, and stops itself after a set number of
// buffers.
struct RampSource {
  std::atomic<UInt32> frame{0};
  std::atomic<int> calls{0};
  int buffers = 0;
};

float LeftSample(UInt32 frame) { return float(frame % 4096) / 4096.0f; }
float RightSample(UInt32 frame) { return -float(frame % 1000) / 1000.0f; }

OSStatus RampProc(AudioDeviceID device, const AudioTimeStamp*, const AudioBufferList*, const AudioTimeStamp*,
                  AudioBufferList* output, const AudioTimeStamp*, void* data) {
  auto* source = static_cast<RampSource*>(data);
  float* out = static_cast<float*>(output->mBuffers[0].mData);
  UInt32 frames = output->mBuffers[0].mDataByteSize / (2 * sizeof(float));
  UInt32 first = source->frame.fetch_add(frames);
  for (UInt32 f = 0; f < frames; ++f) {
    out[2 * f] = LeftSample(first + f);
    out[2 * f + 1] = RightSample(first + f);
  }
  if (++source->calls == source->buffers) AudioDeviceStop(device, RampProc);
  return 0;
}

struct WavContents {
  bool opened = false;
  SF_INFO info{};
  std::vector<float> samples;
};

WavContents ReadWav(const std::string& path) {
  WavContents wav;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &wav.info);
  if (file == nullptr) return wav;
  wav.opened = true;
  wav.samples.resize(size_t(wav.info.frames) * wav.info.channels);
  sf_readf_float(file, wav.samples.data(), wav.info.frames);
  sf_close(file);
  return wav;
}

// The file holds exactly the frames the procedure wrote, in order, whether the device ran
// in manual mode or in real time (where it keeps running idle after the stop from inside).
TEST_F(NullCaptureTest, FileHoldsExactlyTheFramesPlayed) {
  struct Case {
    bool manual;
    UInt32 frames;
    Float64 rate;
    int buffers;
  };
  for (const Case c : {Case{true, 64, 44100.0, 25}, Case{false, 256, 48000.0, 30}}) {
    std::string path = folder_.File(c.manual ? "manual.wav" : "realtime.wav");
    ASSERT_EQ(SetNullDeviceManualMode(c.manual), 0);
    ASSERT_EQ(SetU32(null_, false, kAudioDevicePropertyBufferFrameSize, c.frames), 0);
    ASSERT_EQ(SetF64(null_, kAudioDevicePropertyNominalSampleRate, c.rate), 0);
    ASSERT_EQ(SetNullDeviceCapturePath(path.c_str()), 0);
    RampSource source;
    source.buffers = c.buffers;
    ASSERT_EQ(AudioDeviceAddIOProc(null_, RampProc, &source), 0);
    ASSERT_EQ(AudioDeviceStart(null_, RampProc), 0);
    if (c.manual) {
      EXPECT_EQ(RunNullDeviceCycles(1000), UInt32(c.buffers));
    } else {
      ASSERT_TRUE(WaitUntil([&] { return source.calls.load() == c.buffers; }));
      // The idle device stops its hardware by itself, which finishes the file.
      ASSERT_TRUE(WaitUntil([&] { return access(path.c_str(), F_OK) == 0; }));
    }
    ASSERT_EQ(AudioDeviceRemoveIOProc(null_, RampProc), 0);  // finishes the file in manual mode
    ASSERT_EQ(SetNullDeviceCapturePath(nullptr), 0);

    WavContents wav = ReadWav(path);
    ASSERT_TRUE(wav.opened) << path;
    EXPECT_EQ(access((path + ".part").c_str(), F_OK), -1);
    EXPECT_EQ(wav.info.channels, 2);
    EXPECT_EQ(wav.info.samplerate, int(c.rate));
    EXPECT_EQ(wav.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const UInt32 total = c.frames * UInt32(c.buffers);
    ASSERT_EQ(wav.info.frames, sf_count_t(total));
    for (UInt32 f = 0; f < total; ++f) {
      ASSERT_EQ(wav.samples[2 * f], LeftSample(f)) << f;
      ASSERT_EQ(wav.samples[2 * f + 1], RightSample(f)) << f;
    }
    NullDeviceCaptureStats stats;
    GetNullDeviceCaptureStats(&stats);
    EXPECT_EQ(stats.framesDropped, 0u);
    EXPECT_EQ(stats.lastError, 0);
  }
}

TEST_F(NullCaptureTest, EachRunWritesANewFileAndAMissingFolderIsRefused) {
  EXPECT_EQ(SetNullDeviceCapturePath(folder_.File("no/such/folder/x.wav").c_str()), -120);
  std::string path = folder_.File("runs.wav");
  ASSERT_EQ(SetNullDeviceManualMode(true), 0);
  ASSERT_EQ(SetU32(null_, false, kAudioDevicePropertyBufferFrameSize, 32), 0);
  ASSERT_EQ(SetNullDeviceCapturePath(path.c_str()), 0);
  for (int run = 1; run <= 2; ++run) {
    RampSource source;
    source.buffers = 1000;
    ASSERT_EQ(AudioDeviceAddIOProc(null_, RampProc, &source), 0);
    ASSERT_EQ(AudioDeviceStart(null_, RampProc), 0);
    ASSERT_EQ(RunNullDeviceCycles(UInt32(run * 3)), UInt32(run * 3));
    ASSERT_EQ(AudioDeviceStop(null_, RampProc), 0);
    ASSERT_EQ(AudioDeviceRemoveIOProc(null_, RampProc), 0);
    WavContents wav = ReadWav(path);
    ASSERT_TRUE(wav.opened);
    EXPECT_EQ(wav.info.frames, sf_count_t(32 * 3 * run)) << run;
  }
  // A rate change ends the file with the frames played at the old rate.
  RampSource source;
  source.buffers = 1000;
  ASSERT_EQ(AudioDeviceAddIOProc(null_, RampProc, &source), 0);
  ASSERT_EQ(AudioDeviceStart(null_, RampProc), 0);
  ASSERT_EQ(RunNullDeviceCycles(4), 4u);
  ASSERT_EQ(SetF64(null_, kAudioDevicePropertyNominalSampleRate, 96000.0), 0);
  ASSERT_EQ(RunNullDeviceCycles(4), 4u);
  WavContents wav = ReadWav(path);
  EXPECT_EQ(wav.info.frames, sf_count_t(32 * 4));
  EXPECT_EQ(wav.info.samplerate, 44100);
}

}  // namespace
