// The stream mixer as heard: a counting source (frame k of the pass holds k + 1) plays through
// Play, the mix cycle and the output path of the null device into its WAV capture, and every
// frame of both sides is what the channel's gains, pan, automation, fade or sends make of it.
// The 16-bit path is fixed point and stores value / 32768, so each heard sample is an exact
// integer in 16-bit terms. An aux bus sits on the device's list behind the channel, so what a
// send put into the bus's half is heard with it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "audio/engine/automation_records.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/stream_automation.h"
#include "sequencer/transport/transport_engine.h"
#include "tests/audio/render/stream_mix_fixture.h"
#include "tests/audio/transport/capture_fixture.h"

namespace {

// Odd, so that records, fades and block ends fall on frames no power of two lines up with.
constexpr int32_t kFrames = 47;
constexpr int32_t kBuffers = 14;  // two of them prime the engine, the rest are heard
constexpr int32_t kPrimeFrames = 2 * kFrames;

int32_t Q15(int32_t sample, int32_t gain) { return int32_t((int64_t(sample) * gain) >> 15); }

struct Frame {
  int32_t left;
  int32_t right;
};

// Both sides of a WAV capture in 16-bit terms.
std::vector<Frame> ReadFrames(const std::string& path) {
  std::vector<float> left = capture_test::ReadSide(path, 0), right = capture_test::ReadSide(path, 1);
  std::vector<Frame> frames(std::min(left.size(), right.size()));
  for (size_t i = 0; i < frames.size(); ++i)
    frames[i] = {int32_t(std::lround(left[i] * 32768.0f)), int32_t(std::lround(right[i] * 32768.0f))};
  return frames;
}

void SetSend(EngineChannel* c, uint8_t post, int32_t left, int32_t right) {
  c->sendGains[0] = ChannelSend{};
  c->sendGains[0].bus = 1;
  c->sendGains[0].postFader = post;
  c->sendGains[0].gainLeft = left;
  c->sendGains[0].gainRight = right;
}

// A case: what it sets on the channel once Play has prepared it, and the frame heard for the
// count n at frame `frame` of the pass (position frame; block frame / kFrames).
struct MixCase {
  const char* name;
  void (*set)(EngineChannel* c);
  Frame (*heard)(int32_t n, int32_t frame);
};

const MixCase kCases[] = {
    {"LevelAtCentre", [](EngineChannel* c) { c->gainLeft = c->gainRight = 20000; },
     [](int32_t n, int32_t) { return Frame{Q15(n, 20000), Q15(n, 20000)}; }},
    // Pan 40 of 30000: right (30000 x 40 + 32) / 64.
    {"PanLeftOfCentre", [](EngineChannel* c) { SetChannelGains(30000, 40, &c->gainLeft, &c->gainRight); },
     [](int32_t n, int32_t) { return Frame{Q15(n, 30000), Q15(n, 18750)}; }},
    // Pan 100 of 30000: left 30000 x 27 / 63 rounded.
    {"PanRightOfCentre", [](EngineChannel* c) { SetChannelGains(30000, 100, &c->gainLeft, &c->gainRight); },
     [](int32_t n, int32_t) { return Frame{Q15(n, 12857), Q15(n, 30000)}; }},
    {"PanHardLeft", [](EngineChannel* c) { SetChannelGains(32768, 0, &c->gainLeft, &c->gainRight); },
     [](int32_t n, int32_t) { return Frame{n, 0}; }},
    {"PanHardRight", [](EngineChannel* c) { SetChannelGains(25000, 127, &c->gainLeft, &c->gainRight); },
     [](int32_t n, int32_t) { return Frame{0, Q15(n, 25000)}; }},
    // Volume 12000 from position 100, pan 127 from 151: both inside blocks.
    {"AutomationInsideBlocks",
     [](EngineChannel* c) {
       c->automation = stream_mix_test::MakeAutomation({{0, 32768, 64, kAutomationVolume},
                                                        {100, 12000, 64, kAutomationVolume},
                                                        {151, 0, 127, kAutomationPan}});
       c->automationCursor = FindAutomationRecord(c->automation, 0);
     },
     [](int32_t n, int32_t frame) {
       if (frame < 100) return Frame{n, n};
       if (frame < 151) return Frame{Q15(n, 12000), Q15(n, 12000)};
       return Frame{0, Q15(n, 12000)};
     }},
    // The first block rises from silence (frame i of it x i / kFrames), then unity.
    {"FadeIn", [](EngineChannel* c) { c->fadeState = kFadeStateIn; },
     [](int32_t n, int32_t frame) {
       int32_t v = frame < kFrames ? int32_t(int64_t(n) * frame / kFrames) : n;
       return Frame{v, v};
     }},
    // The first block falls to silence (x (kFrames - i) / kFrames), then nothing is heard.
    {"FadeOutThenSilence", [](EngineChannel* c) { c->fadeState = kFadeStateOutThenWait; },
     [](int32_t n, int32_t frame) {
       int32_t v = frame < kFrames ? int32_t(int64_t(n) * (kFrames - frame) / kFrames) : 0;
       return Frame{v, v};
     }},
    // The channel silent, its pre-fader send takes the source with the send's gains.
    {"PreFaderSendFeedsTheBus",
     [](EngineChannel* c) {
       c->gainLeft = c->gainRight = 0;
       SetSend(c, 0, 16384, 8192);
     },
     [](int32_t n, int32_t) { return Frame{Q15(n, 16384), Q15(n, 8192)}; }},
    // A post-fader send takes the gained half: heard are the channel and the bus together.
    {"PostFaderSendFeedsTheBusAfterTheGains",
     [](EngineChannel* c) {
       c->gainLeft = c->gainRight = 20000;
       SetSend(c, 1, 16384, 24576);
     },
     [](int32_t n, int32_t) {
       int32_t v = Q15(n, 20000);
       return Frame{v + Q15(v, 16384), v + Q15(v, 24576)};
     }},
};

class StreamMixCapture : public CaptureTest, public ::testing::WithParamInterface<MixCase> {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    OpenCapture(kFrames, std::string(GetParam().name) + ".wav");
    gTransportSong = MakeSong({Track({})}, {});
  }
  void TearDown() override {
    CaptureTest::TearDown();
    gAuxBusChannels = nullptr;
  }

  // Aux bus 1 on the device behind the channel: it renders nothing of its own, so its half
  // holds what the sends summed into it. Disposed by the engine's stop.
  EngineChannel* AddBusBehind(EngineChannel* channel) {
    int16_t err = 0;
    void* block = NewEngineBuffer(int32_t(sizeof(EngineChannel)), &err);
    if (!block) return nullptr;
    auto* bus = new (block) EngineChannel();
    bus->device = channel->device;
    bus->busSource = 1;
    bus->auxBus = 1;
    bus->frameChannels = 2;
    bus->sampleBits = 32;
    bus->outputWidth = 32;
    bus->framesPerBlock = int16_t(kFrames);
    bus->channelFlags = kChannelAudible | kChannelSkipRenderer;
    SetChannelGains(32768, 64, &bus->gainLeft, &bus->gainRight);
    EXPECT_EQ(AllocateChannelBlocks(bus, kFrames), 0);
    bus->next = channel->next;
    channel->next = bus;
    gAuxBusChannels = bus;
    return bus;
  }
};

TEST_P(StreamMixCapture, EveryFrameIsTheSourceScaledAsTheChannelSays) {
  const MixCase& mix = GetParam();
  EngineChannel* channel = AddCountingChannel();
  ASSERT_NE(channel, nullptr);
  ::Play(1);
  ASSERT_EQ(gAuxBusChannels, nullptr);
  ASSERT_EQ(gCoreAudioDriver.channelList, channel);
  ASSERT_NE(AddBusBehind(channel), nullptr);
  channel->position = 0;
  mix.set(channel);
  // One buffer at a time, the disk's refills served in between (bounded), so that a loaded
  // machine does not turn into an underrun.
  for (int32_t i = 0; i < kBuffers; ++i) {
    Cycles(1);
    for (int32_t h = 0; h < 2; ++h)
      for (int32_t w = 0; w < 20000 && channel->halfRequested[h].load() != channel->halfCompleted[h].load(); ++w) usleep(100);
  }
  StopTransport(false);
  EXPECT_EQ(gEngineError.load(), 0);
  Heard();
  std::vector<Frame> heard = ReadFrames(wav_);
  ASSERT_EQ(heard.size(), size_t(kBuffers * kFrames));
  int32_t wrong = 0;
  for (int32_t i = 0; i < int32_t(heard.size()) && wrong < 5; ++i) {
    const int32_t frame = i - kPrimeFrames;
    Frame want = frame < 0 ? Frame{0, 0} : mix.heard(frame + 1, frame);
    if (heard[size_t(i)].left != want.left || heard[size_t(i)].right != want.right) {
      ++wrong;
      ADD_FAILURE() << "frame " << frame << ": heard " << heard[size_t(i)].left << "/" << heard[size_t(i)].right
                    << ", wanted " << want.left << "/" << want.right;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, StreamMixCapture, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<MixCase>& info) { return std::string(info.param.name); });

}  // namespace
