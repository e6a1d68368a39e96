// A stream at another rate than the engine's, as heard: 16-bit big-endian PCM at 44.1 kHz or
// 96 kHz decoded on the disk thread by the channel's converter into a 48 kHz float engine,
// mixed and played on the null device into its WAV capture. Every captured frame is the
// linear interpolation of the source at output frame m x the channel's rate step, computed
// here on its own, to within one unit in the last place of the captured Float32: no frame lost
// or repeated and no seam where a block, a stream half or a converter call ends. A ramp shows
// position errors, a sine the interpolation between frames.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/stream_converters.h"
#include "audio/streams/stream_decoders.h"
#include "platform/coreaudio/core_audio.h"
#include "platform/coreaudio/null_device.h"
#include "sequencer/transport/transport_engine.h"
#include "tests/audio/transport/capture_fixture.h"

namespace {

constexpr float kEngineRate = 48000.0f;
constexpr int32_t kBlocksPerHalf = 3;
constexpr int32_t kBuffers = 40;

enum class Shape { kRamp, kSine };

// Source frame k.
int16_t SourceFrame(Shape shape, float rate, int64_t k) {
  if (shape == Shape::kRamp) return int16_t(-30000 + (k * 7) % 60000);
  return int16_t(std::lround(20000.0 * std::sin(2.0 * M_PI * 997.0 * double(k) / double(rate))));
}

// The source as the channel reads it: each call fills the input half with the frames the
// converter asks for next (16-bit big-endian), then decodes the half.
struct ResampledSource {
  Shape shape = Shape::kRamp;
  float rate = 44100.0f;
  int64_t next = 0;
  int16_t firstError = 0;
};

int32_t ResampledReader(EngineChannel* c, int32_t half, void* buffer, uint8_t* ready) {
  auto* source = static_cast<ResampledSource*>(c->readerContext);
  uint8_t* in = c->inputBuffers[half];
  for (uint32_t i = 0; i < c->inputFramesPerCall; ++i) {
    uint16_t v = uint16_t(SourceFrame(source->shape, source->rate, source->next++));
    in[2 * i] = uint8_t(v >> 8);
    in[2 * i + 1] = uint8_t(v);
  }
  int16_t err = c->decodeProc(c, half, buffer, &c->halfAtEnd[half]);
  if (err != 0 && source->firstError == 0) source->firstError = err;
  *ready = 1;
  return err;
}

// Output frame m: between the source frames around m x step.
double Interpolated(Shape shape, float rate, double step, int64_t m) {
  double at = double(m) * step;
  int64_t i = int64_t(std::floor(at));
  double weight = at - double(i);
  double a = SourceFrame(shape, rate, i), b = SourceFrame(shape, rate, i + 1);
  return a + (b - a) * weight;
}

struct ResampleCase {
  float rate;
  Shape shape;
  int32_t frames;
};

std::string CaseName(const ::testing::TestParamInfo<ResampleCase>& info) {
  return std::string(info.param.shape == Shape::kRamp ? "Ramp" : "Sine") + "From" +
         std::to_string(int32_t(info.param.rate)) + "In" + std::to_string(info.param.frames);
}

class ResampleCapture : public CaptureTest, public ::testing::WithParamInterface<ResampleCase> {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    Float64 rate = kEngineRate;
    AudioDeviceID device = GetNullAudioDevice();
    ASSERT_EQ(AudioDeviceSetProperty(device, nullptr, 0, false, kAudioDevicePropertyNominalSampleRate, sizeof rate,
                                     &rate), 0);
    OpenCapture(GetParam().frames, CaseName(::testing::TestParamInfo<ResampleCase>(GetParam(), 0)) + ".wav");
    // The driver takes the device's rate as the engine's.
    gCoreAudioDriver.sampleRate = gAudioSampleRate = kEngineRate;
    gTransportSong = MakeSong({Track({})}, {});
  }
  void TearDown() override {
    CaptureTest::TearDown();
    Float64 rate = 44100.0;
    AudioDeviceSetProperty(GetNullAudioDevice(), nullptr, 0, false, kAudioDevicePropertyNominalSampleRate,
                           sizeof rate, &rate);
    gStreamBufferBytes = kDefaultStreamBufferBytes;
    gCoreAudioDriver.sampleRate = gAudioSampleRate = 44100.0f;
  }

  // A mono float channel of the source on the device, both halves decoded, as a song's audio
  // track leaves it. The stream buffer holds three blocks a half, so halves turn often.
  EngineChannel* AddResampledChannel() {
    EngineChannel* c = nullptr;
    EXPECT_EQ(ClaimEngineChannel(&c), 0);
    if (!c) return nullptr;
    const int32_t frames = frames_;
    c->frameChannels = c->sourceChannels = 1;
    c->sampleBits = 32;
    c->sampleRate = kEngineRate;
    c->sourceRate = source_.rate;
    c->sourceWidth = 16;
    c->sourceFormat = FourCC("twos");
    gStreamBufferBytes = uint32_t(frames * 4 * kBlocksPerHalf);
    EXPECT_EQ(OpenSoundConverters(c, frames, 0, 32, 3, nullptr, false, kEngineRate), 0);
    EXPECT_EQ(c->decodeProc, &ConvertStreamBlock);
    EXPECT_EQ(c->decodedBlockBytes, frames * 4 * kBlocksPerHalf);
    if (!c->decodeProc) return nullptr;
    c->framesPerBlock = int16_t(frames);
    c->blockBytes = frames * 4;
    c->blocksPerHalf = int16_t(kBlocksPerHalf);
    c->reader = ResampledReader;
    c->readerContext = &source_;
    c->device = &gCoreAudioDriver;
    c->song = gTransportSong;
    c->streaming = 1;
    EXPECT_EQ(AllocateChannelBlocks(c, frames), 0);
    for (int32_t h = 0; h < 2; ++h) {
      int16_t err = 0;
      c->halfBuffer[h] = NewEngineBuffer(c->decodedBlockBytes, &err);
      EXPECT_EQ(err, 0);
      ResampledReader(c, h, c->halfBuffer[h], &c->halfReady[h]);
    }
    c->readPointer = static_cast<uint8_t*>(c->halfBuffer[0]);
    c->blocksLeft = int16_t(kBlocksPerHalf);
    c->next = gCoreAudioDriver.channelList;
    gCoreAudioDriver.channelList = c;
    return c;
  }

  ResampledSource source_;
};

TEST_P(ResampleCapture, TheHeardStreamIsTheLinearInterpolationOfTheSource) {
  const ResampleCase& rc = GetParam();
  source_.shape = rc.shape;
  source_.rate = rc.rate;
  EngineChannel* channel = AddResampledChannel();
  ASSERT_NE(channel, nullptr);
  const double step = double(channel->resampleStep);
  ASSERT_EQ(step, double(float(double(rc.rate) / kEngineRate)));
  ::Play(1);
  ASSERT_EQ(gCoreAudioDriver.sampleRate, kEngineRate);
  // Unity gains on the float path: the source's 16-bit scale comes down by the float gain.
  SetChannelGains(32768, 64, &channel->gainLeft, &channel->gainRight);
  channel->wetScale = 1.0f / 32768.0f;
  // One buffer at a time, the disk's refills served in between (bounded), so that a loaded
  // machine does not turn into an underrun.
  for (int32_t i = 0; i < kBuffers; ++i) {
    Cycles(1);
    for (int32_t h = 0; h < 2; ++h)
      for (int32_t w = 0; w < 20000 && channel->halfRequested[h].load() != channel->halfCompleted[h].load(); ++w) usleep(100);
  }
  StopTransport(false);
  EXPECT_EQ(gEngineError.load(), 0);
  EXPECT_EQ(source_.firstError, 0);
  std::vector<float> heard = Heard();
  ASSERT_EQ(heard.size(), size_t(kBuffers * rc.frames));
  const size_t first = size_t(2 * rc.frames);  // two buffers prime the engine
  for (size_t i = 0; i < first; ++i) ASSERT_EQ(heard[i], 0.0f) << "frame " << i << " before the start";
  int32_t wrong = 0;
  for (size_t i = first; i < heard.size() && wrong < 5; ++i) {
    const int64_t m = int64_t(i - first);
    const float want = float(Interpolated(rc.shape, rc.rate, step, m) / 32768.0);
    const bool near = heard[i] >= std::nextafter(want, -1.0f) && heard[i] <= std::nextafter(want, 1.0f);
    if (!near) {
      ++wrong;
      ADD_FAILURE() << "output frame " << m << " (block " << m / rc.frames << "): heard " << heard[i] * 32768.0
                    << ", wanted " << want * 32768.0;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, ResampleCapture,
                         ::testing::Values(ResampleCase{44100.0f, Shape::kRamp, 64},
                                           ResampleCase{44100.0f, Shape::kSine, 47},
                                           ResampleCase{44100.0f, Shape::kRamp, 47},
                                           ResampleCase{96000.0f, Shape::kRamp, 64},
                                           ResampleCase{96000.0f, Shape::kSine, 47},
                                           ResampleCase{96000.0f, Shape::kSine, 256}),
                         CaseName);

}  // namespace
