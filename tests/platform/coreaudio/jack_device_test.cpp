// The JACK device against the test services' server (jackd on its dummy backend); skipped
// when no server runs.
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "tests/platform/coreaudio/audio_test_support.h"

namespace {

using namespace audio_test;

class JackDeviceTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    if (!JackServerRunning()) GTEST_SKIP() << "no JACK server runs (tools/services start)";
    jack_ = FindDeviceNamed("JACK (default)");
    ASSERT_NE(jack_, kAudioDeviceUnknown);
  }
  AudioDeviceID jack_ = kAudioDeviceUnknown;
};

// A plain JACK client with two input ports that records what reaches them.
struct CaptureClient {
  jack_client_t* client = nullptr;
  jack_port_t* ports[2] = {nullptr, nullptr};
  std::vector<float> samples[2];
  std::atomic<size_t> filled{0};

  static int Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<CaptureClient*>(arg);
    size_t at = self->filled.load(std::memory_order_relaxed);
    size_t count = std::min<size_t>(frames, self->samples[0].size() - at);
    for (int c = 0; c < 2; ++c) {
      const float* in = static_cast<const float*>(jack_port_get_buffer(self->ports[c], frames));
      std::copy_n(in, count, self->samples[c].begin() + long(at));
    }
    self->filled.store(at + count, std::memory_order_release);
    return 0;
  }
  bool Open(size_t capacity) {
    jack_status_t status;
    client = jack_client_open("zarin-capture-test", JackNoStartServer, &status);
    if (client == nullptr) return false;
    for (int c = 0; c < 2; ++c) {
      samples[c].assign(capacity, 0.0f);
      ports[c] = jack_port_register(client, c == 0 ? "in_1" : "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
      if (ports[c] == nullptr) return false;
    }
    jack_set_process_callback(client, Process, this);
    return jack_activate(client) == 0;
  }
  ~CaptureClient() {
    if (client != nullptr) jack_client_close(client);
  }
};

std::atomic<UInt64> gRampFrame{0};

// Channel 1 plays a counter that numbers every frame; channel 2 its negative.
float RampValue(UInt64 n) { return float((n % 2000) + 1) / 4096.0f; }

OSStatus JackRampProc(AudioDeviceID, const AudioTimeStamp*, const AudioBufferList*, const AudioTimeStamp*,
                      AudioBufferList* output, const AudioTimeStamp*, void*) {
  const AudioBuffer& buffer = output->mBuffers[0];
  float* out = static_cast<float*>(buffer.mData);
  UInt32 channels = buffer.mNumberChannels;
  UInt32 frames = buffer.mDataByteSize / (channels * sizeof(float));
  UInt64 first = gRampFrame.fetch_add(frames);
  for (UInt32 f = 0; f < frames; ++f) {
    out[f * channels] = RampValue(first + f);
    if (channels > 1) out[f * channels + 1] = -RampValue(first + f);
  }
  return 0;
}

TEST_F(JackDeviceTest, DescribesTheServer) {
  std::vector<AudioDeviceID> devices = DeviceList();
  ASSERT_FALSE(devices.empty());
  EXPECT_EQ(devices.front(), jack_);  // JACK comes first and is the default
  AudioDeviceID byDefault = 0;
  UInt32 size = sizeof byDefault;
  ASSERT_EQ(AudioHardwareGetProperty(kAudioHardwarePropertyDefaultOutputDevice, &size, &byDefault), 0);
  EXPECT_EQ(byDefault, jack_);

  jack_status_t status;
  jack_client_t* probe = jack_client_open("zarin-probe", JackNoStartServer, &status);
  ASSERT_NE(probe, nullptr);
  Float64 serverRate = jack_get_sample_rate(probe);
  UInt32 serverFrames = jack_get_buffer_size(probe);
  const char** playback = jack_get_ports(probe, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
  const char** capture = jack_get_ports(probe, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsOutput);
  UInt32 outs = 0, ins = 0;
  while (playback != nullptr && playback[outs] != nullptr) ++outs;
  while (capture != nullptr && capture[ins] != nullptr) ++ins;
  std::string firstPlayback = outs > 0 ? playback[0] : "";
  jack_free(playback);
  jack_free(capture);
  jack_client_close(probe);

  EXPECT_EQ(CountChannels(jack_, false), outs == 0 ? 2u : outs);
  EXPECT_EQ(CountChannels(jack_, true), ins);
  if (!firstPlayback.empty()) {
    EXPECT_EQ(GetText(jack_, 1, false, kAudioDevicePropertyChannelNameCFString),
              firstPlayback.substr(firstPlayback.find(':') + 1));
  }
  EXPECT_EQ(GetF64(jack_, kAudioDevicePropertyNominalSampleRate), serverRate);
  EXPECT_EQ(GetU32(jack_, false, kAudioDevicePropertyBufferFrameSize), serverFrames);

  // The server decides rate and buffer size.
  EXPECT_EQ(SetU32(jack_, false, kAudioDevicePropertyBufferFrameSize, serverFrames), 0);
  EXPECT_EQ(SetU32(jack_, false, kAudioDevicePropertyBufferFrameSize, serverFrames * 2),
            kAudioHardwareIllegalOperationError);
  EXPECT_EQ(SetF64(jack_, kAudioDevicePropertyNominalSampleRate, serverRate), 0);
  EXPECT_EQ(SetF64(jack_, kAudioDevicePropertyNominalSampleRate, serverRate == 44100 ? 48000 : 44100),
            kAudioDeviceUnsupportedFormatError);
  AudioValueRange rates[4];
  size = sizeof rates;
  ASSERT_EQ(AudioDeviceGetProperty(jack_, 0, false, kAudioDevicePropertyAvailableNominalSampleRates, &size, rates), 0);
  ASSERT_EQ(size, sizeof(AudioValueRange));
  EXPECT_EQ(rates[0].mMinimum, serverRate);
}

struct SelfStopper {
  std::atomic<int> calls{0};
  std::atomic<bool> stopNow{false};
  std::atomic<OSStatus> insideResult{1};
};

OSStatus SelfStoppingProc(AudioDeviceID device, const AudioTimeStamp*, const AudioBufferList*, const AudioTimeStamp*,
                          AudioBufferList*, const AudioTimeStamp*, void* data) {
  auto* s = static_cast<SelfStopper*>(data);
  ++s->calls;
  if (s->stopNow.load()) s->insideResult = AudioDeviceStop(device, SelfStoppingProc);
  return 0;
}

// A procedure that stops itself on the server's process thread is not called again, the
// device reports that it no longer runs, and the procedure can be started again.
TEST_F(JackDeviceTest, StopsFromInsideTheProcedure) {
  SelfStopper s;
  ASSERT_EQ(AudioDeviceAddIOProc(jack_, SelfStoppingProc, &s), 0);
  for (int run = 0; run < 2; ++run) {
    s.stopNow.store(false);
    s.insideResult.store(1);
    ASSERT_EQ(AudioDeviceStart(jack_, SelfStoppingProc), 0);
    int before = s.calls.load();
    ASSERT_TRUE(WaitUntil([&] { return s.calls.load() >= before + 3; }, 5000));
    EXPECT_EQ(GetU32(jack_, false, kAudioDevicePropertyDeviceIsRunning), 1u);
    s.stopNow.store(true);
    ASSERT_TRUE(WaitUntil([&] { return s.insideResult.load() != 1; }, 5000));
    EXPECT_EQ(s.insideResult.load(), 0);
    int calls = s.calls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // several server periods
    EXPECT_EQ(s.calls.load(), calls);
    EXPECT_EQ(GetU32(jack_, false, kAudioDevicePropertyDeviceIsRunning), 0u);
  }
  EXPECT_EQ(AudioDeviceRemoveIOProc(jack_, SelfStoppingProc), 0);
}

long RampIndex(float sample) { return std::lround(sample * 4096.0f) - 1; }

// What our procedure plays arrives at another client's inputs, sample for sample and channel
// for channel, after a constant delay. (An xrun on a loaded machine may break the stream, so
// the longest unbroken stretch is what must be long.)
TEST_F(JackDeviceTest, OutputReachesAnotherClient) {
  ASSERT_GE(CountChannels(jack_, false), 2u);
  CaptureClient capture;
  ASSERT_TRUE(capture.Open(48000));
  ASSERT_EQ(AudioDeviceAddIOProc(jack_, JackRampProc, nullptr), 0);
  ASSERT_EQ(AudioDeviceStart(jack_, JackRampProc), 0);  // activates our client
  for (UInt32 channel = 1; channel <= 2; ++channel) {
    char ours[256];
    ASSERT_EQ(GetJackPortName(jack_, false, channel, ours, sizeof ours), 0);
    std::string theirs = std::string(jack_get_client_name(capture.client)) + ":in_" + std::to_string(channel);
    ASSERT_EQ(jack_connect(capture.client, ours, theirs.c_str()), 0);
  }
  ASSERT_TRUE(WaitUntil([&] { return capture.filled.load() == capture.samples[0].size(); }, 10000));
  ASSERT_EQ(AudioDeviceStop(jack_, JackRampProc), 0);

  const std::vector<float>& left = capture.samples[0];
  const std::vector<float>& right = capture.samples[1];
  size_t longest = 0, run = 0;
  for (size_t i = 1; i < left.size(); ++i) {
    bool continues = left[i] != 0.0f && left[i - 1] != 0.0f &&
                     left[i] == RampValue(UInt64(RampIndex(left[i - 1]) + 1)) && right[i] == -left[i];
    run = continues ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  EXPECT_GE(longest, 8192u);

  char name[256];
  EXPECT_EQ(GetJackPortName(jack_, false, 99, name, sizeof name), kAudioHardwareUnknownPropertyError);
  EXPECT_EQ(GetJackPortName(jack_, false, 1, name, 3), kAudioHardwareBadPropertySizeError);
  EXPECT_EQ(GetJackPortName(null_, false, 1, name, sizeof name), kAudioHardwareBadDeviceError);
}

}  // namespace
