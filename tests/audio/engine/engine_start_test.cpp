// The start of the output on the null device in manual mode: warm-up cycles before the first
// block is primed, the start offset on the engine sample clock and the tick debt it leaves the
// sequencer, the per-side running / start-pending / stop-pending flags, the shared device's
// stop delay, and armed record inputs receiving the device's input.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/devices/coreaudio_record_arm.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_start.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/channel_render.h"
#include "audio/engine/record_inputs.h"
#include "audio/render/play_rate_output.h"
#include "platform/coreaudio/core_audio.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/transport_clock.h"
#include "song/conductor/tempo_tables.h"
#include "tests/audio/engine/engine_fixture.h"

using engine_test::EngineRig;

namespace {

class EngineStart : public ::testing::Test {
 protected:
  void UseFrames(int32_t frames) {
    UInt32 f = UInt32(frames);
    ASSERT_EQ(AudioDeviceSetProperty(device_, nullptr, 0, false, kAudioDevicePropertyBufferFrameSize, sizeof f, &f), 0);
  }
  void SetUp() override {
    device_ = engine_test::NullDeviceInManualMode(engine_test::kFrames);
    ASSERT_NE(device_, kAudioDeviceUnknown);
    SetAudioMode(3);
    gTransportClock.tickDebt = 0;
    gTransportClock.syncRunning = gTransportClock.syncStarted = 0;
    gTransportClock.flags.store(0);
  }
  void TearDown() override {
    CloseCoreAudioOutput();
    AudioHardwareFlushNotifications(1000);
    EXPECT_EQ(SetNullDeviceManualMode(false), 0);
    gEngineWarmUpCount.store(0);
    gAudioSetupFrames = 0;
    gEngineRecordObject.store(nullptr);
    gRecordInputs = nullptr;
    gCoreAudioIO.firstRecordInput = gCoreAudioIO.firstDirectInput = nullptr;
    gCoreAudioSettings = CoreAudioSettings();
    gCoreAudioDevices = CoreAudioDevices();
    gAudioSuspended = 0;
  }
  // One device buffer, then (while the state hands blocks off) the engine's mix of it.
  void Play(EngineRig& rig, int cycles) {
    for (int i = 0; i < cycles; ++i) {
      uint32_t mixed = gEngineQueue.cyclesMixed.load();
      int32_t state = gAudioDriverState.load();
      ASSERT_EQ(RunNullDeviceCycles(1), 1u);
      if (state >= kDriverWarmUp && state <= kDriverRunningAtRate) {
        ASSERT_TRUE(rig.WaitForMixes(mixed + 1));
      }
    }
    AudioHardwareFlushNotifications(1000);
  }
  AudioDeviceID device_ = kAudioDeviceUnknown;
};

TEST(EngineStartOffset, FollowsTheBufferSizeWhileARateIsRequested) {
  struct Case {
    int32_t setup, frames, rate;
    int64_t offset;
  } cases[] = {{0, 1024, kUnityPlayRate, -836}, {0, 64, kUnityPlayRate, 124}, {100, 512, 0x8000, -224},
               {0, 1024, 0, 0}};
  for (const Case& c : cases) {
    gAudioSetupFrames = c.setup;
    EXPECT_EQ(EngineStartOffset(c.frames, c.rate), c.offset) << c.frames << " " << c.rate;
  }
  gAudioSetupFrames = 0;
  // A debt that does not fit 16 bits is held at the largest one.
  EXPECT_EQ(TickDebtForFrames(int64_t(1) << 40, 44100.0f), -32767);
  EXPECT_EQ(TickDebtForFrames(0, 44100.0f), 0);
}

// A start with a negative offset: the first blocks play the latency before the song's first
// sample, the sequencer owes the ticks of that latency, and the warm-up of two cycles renders
// nothing before the first block is primed.
TEST_F(EngineStart, ANegativeOffsetLandsTheSongStartBehindTheLatency) {
  constexpr int32_t kBig = 512;
  UseFrames(kBig);
  EngineRig rig(kBig);
  rig.AddChannel(1, 16, 16384, 0);
  gEngineRecordObject.store(rig.driver.channelList);
  gEngineWarmUpCount.store(kEngineWarmUpCycles);
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  const int64_t offset = 188 - kBig;
  EXPECT_EQ(gEngineSampleClock.load(), offset);
  double ticks = double(-offset) / rig.driver.sampleRate * 1e6 / GetMicrosecondsPerTick();
  EXPECT_EQ(gTransportClock.tickDebt, int16_t(-ticks));
  EXPECT_LT(gTransportClock.tickDebt, 0);
  // The song's sample 1000 is heard -offset frames after the start.
  EXPECT_EQ(ChannelClockPosition(rig.driver.channelList, 1000), 1000 + offset);

  Play(rig, 1);  // warm-up: nothing mixed, still priming
  EXPECT_EQ(gAudioDriverState.load(), kDriverPrime);
  EXPECT_EQ(gEngineWarmUpCount.load(), 1);
  Play(rig, 1);  // primed; the clock is still before the song start: no sync yet
  EXPECT_EQ(gAudioDriverState.load(), kDriverWarmUp);
  EXPECT_EQ(gTransportClock.syncRunning, 0);
  Play(rig, 3);
  EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);
  // Each block the engine mixed moved the clock on by one buffer from the offset.
  EXPECT_EQ(gEngineSampleClock.load(), offset + 3 * kBig);
}

// From a start at the song's first sample the prime cycle owes the ticks of its own buffer and
// marks the slaved clock running.
TEST_F(EngineStart, APrimeAtTheSongStartStartsTheClock) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  gAudioSetupFrames = engine_test::kFrames - 188;  // offset 0
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  EXPECT_EQ(gEngineSampleClock.load(), 0);
  EXPECT_EQ(gTransportClock.tickDebt, 0);
  Play(rig, 1);
  EXPECT_EQ(gAudioDriverState.load(), kDriverWarmUp);
  EXPECT_EQ(gTransportClock.syncRunning, 1);
  EXPECT_EQ(gTransportClock.syncStarted, 1);
  EXPECT_EQ(gTransportClock.tickDebt, TickDebtForFrames(engine_test::kFrames, rig.driver.sampleRate));
}

TEST_F(EngineStart, SideFlagsFollowTheDevice) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  DeviceSideFlags& out = gCoreAudioIO.sides[kSideOut];
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  EXPECT_EQ(out.startPending.load(), 1);
  EXPECT_EQ(out.running.load(), 0);
  Play(rig, 2);
  EXPECT_EQ(out.startPending.load(), 0);
  EXPECT_EQ(out.running.load(), 1);
  // The soft stop leaves the device running; a start from there finds it running.
  EXPECT_EQ(StopCoreAudioOutput(0, 0), kDriverIdle);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  EXPECT_EQ(out.startPending.load(), 0);
  EXPECT_EQ(out.running.load(), 1);
  RequestCoreAudioStop();
  EXPECT_EQ(out.stopPending.load(), 1);
  ASSERT_EQ(RunNullDeviceCycles(1), 1u);
  EXPECT_EQ(FinishCoreAudioStop(200), kDriverStoppedInCallback);
  AudioHardwareFlushNotifications(1000);
  EXPECT_EQ(out.running.load(), 0);
  EXPECT_EQ(out.stopPending.load(), 0);
  EXPECT_EQ(gAudioSuspended, 0);  // a stop asked for is no device trouble
}

// The driver's Stop takes the engine's stop mode: mode 1 (the engine holds its channels)
// leaves the device as it is; mode 0 stops softly unless audio is suspended, and then the
// device stops and the suspension is over.
TEST_F(EngineStart, TheDriverStopFollowsTheModeAndTheSuspension) {
  struct Case {
    int32_t mode;
    uint8_t suspended;
    int32_t state;
    bool runs;
  } cases[] = {{1, 0, kDriverHandOff, true},
               {1, 1, kDriverHandOff, true},
               {0, 0, kDriverIdle, true},
               {0, 1, kDriverNothingStarted, false}};
  for (const Case& c : cases) {
    EngineRig rig;
    rig.AddChannel(1, 16, 16384, 0);
    ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
    ASSERT_EQ(StartCoreAudioOutput(), 0);
    Play(rig, 4);
    ASSERT_EQ(gAudioDriverState.load(), kDriverHandOff);
    gAudioSuspended = c.suspended;
    if (c.mode == 0 && c.suspended) gCoreAudioIO.outputGuard.test_and_set();  // a callback that never came back
    EXPECT_EQ(gCoreAudioDriver.Stop(c.mode), 0);
    EXPECT_EQ(gAudioDriverState.load(), c.state) << c.mode << " " << int(c.suspended);
    EXPECT_EQ(RunNullDeviceCycles(1) == 1, c.runs) << c.mode << " " << int(c.suspended);
    EXPECT_EQ(gAudioSuspended, c.mode == 0 ? 0 : c.suspended);
    EXPECT_FALSE(gCoreAudioIO.outputGuard.test());
    rig.WaitForMixes(gEngineQueue.cyclesMixed.load());
    CloseCoreAudioOutput();
    AudioHardwareFlushNotifications(1000);
    gAudioSuspended = 0;
  }
}

TEST_F(EngineStart, ASharedDeviceStopsAfterItsDelay) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  ASSERT_EQ(OpenCoreAudioDevices(&rig.driver, device_, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 3);
  EXPECT_EQ(gCoreAudioIO.sides[kSideIn].running.load(), 1);  // the input side copies the shared device
  gCoreAudioSettings.stopDelay = 6;
  gAudioDriverState.store(kDriverStopInput);
  UInt32 from = TickCount();
  EXPECT_EQ(StopInputDevice(), kDriverStoppedInCallback);
  EXPECT_GE(TickCount() - from, 6u);
  EXPECT_FALSE(gCoreAudioIO.outputProcInstalled.load());
  EXPECT_EQ(RunNullDeviceCycles(1), 0u);  // stopped
}

TEST_F(EngineStart, ArmedRecordInputsReceiveTheDeviceInput) {
  EngineRig rig;
  EngineChannel* channel = rig.AddChannel(1, 16, 16384, 0);
  SetChannelGains(32768, 0, &channel->gainLeft, &channel->gainRight);  // hard left: 0.5
  UInt32 loop = kNullDeviceSourceLoopback;
  ASSERT_EQ(AudioDeviceSetProperty(device_, nullptr, 0, true, kAudioDevicePropertyDataSource, sizeof loop, &loop), 0);
  gCoreAudioDevices.inputDevice = device_;
  AudioInput input;
  input.deviceId = kDriverIdCoreAudio;
  input.hasArmedTracks = 1;
  // Through the driver record's slots 16 and 15, as recording reaches them.
  AudioDriverOps& driver = gCoreAudioDriver;
  ASSERT_NE(driver.SetRecordInputChannels, nullptr);
  ASSERT_NE(driver.ArmRecordInput, nullptr);
  EXPECT_EQ(driver.SetRecordInputChannels(&input, 1, 1), kRecordErrChannelRange);  // channels 2 and 3: none
  ASSERT_EQ(driver.SetRecordInputChannels(&input, 0, 1), 0);
  EXPECT_EQ(input.channels, 2);
  EXPECT_EQ(input.rightChannel, 1);
  std::vector<uint8_t> record(size_t(engine_test::kFrames) * 4 * 16);
  input.writePointer = record.data();
  input.writeEnd = record.data() + record.size();
  gRecordInputs = &input;

  ASSERT_EQ(OpenCoreAudioDevices(&rig.driver, device_, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 2);
  // Nothing armed: the input stream is switched off.
  driver.ArmRecordInput(&input);
  EXPECT_EQ(gCoreAudioSettings.inputStreamsUsed, 0u);
  input.armed = 1;
  driver.ArmRecordInput(&input);
  EXPECT_EQ(gCoreAudioSettings.inputStreamsUsed, 1u);
  EXPECT_EQ(gCoreAudioIO.firstRecordInput, &input);
  uint8_t* from = input.writePointer;
  Play(rig, 6);
  ASSERT_GE(input.writePointer - from, 4 * engine_test::kFrames * 4);
  // The input plays back the output one buffer late: 0.5 left, silence right.
  // Big-endian, as the record file's header declares the samples.
  const uint8_t* last = input.writePointer - 4;
  EXPECT_EQ(int16_t((last[0] << 8) | last[1]), 16384);
  EXPECT_EQ(int16_t((last[2] << 8) | last[3]), 0);
  EXPECT_EQ(gEngineError.load(), 0);
}

}  // namespace

namespace {

std::vector<int32_t> gRenderedBlocks;

// Passes its inputs on and notes the first frame of each block it renders.
int32_t NotingChain(void*, float* const* inputs, int32_t inputCount, float** outputs, int32_t outputCount,
                    int32_t frames) {
  gRenderedBlocks.push_back(int32_t(std::lround(inputs[0][0] * 32768.0f)));
  for (int32_t i = 0; i < outputCount; ++i) {
    outputs[i] = gRenderBuffers.chain[i];
    if (i >= inputCount) std::memset(outputs[i], 0, size_t(frames) * sizeof(float));
  }
  return 0;
}

}  // namespace

// After the warm-up the stream's blocks reach the device in order: the first block is
// rendered once and heard once, and none is skipped.
TEST(EnginePriming, TheFirstBlockIsRenderedOnceAndEveryBlockFollowsInOrder) {
  SetAudioMode(1);  // inline: the output procedure mixes
  {
    EngineRig rig;
    ChannelRenderState state;
    state.mixKind = 0;
    state.dryLevel = 0;
    state.render = NotingChain;
    EngineChannel* channel = rig.AddRampChannel(1, 16);
    channel->renderState = &state;
    gRenderedBlocks.clear();
    gEngineWarmUpCount.store(kEngineWarmUpCycles);
    std::vector<int32_t> heard;
    for (int i = 0; i < 14; ++i) {
      rig.WaitForRefills();  // the disk keeps up
      rig.Cycle();
      float first = rig.Sample(0, 0);
      if (first == 0.0f && heard.empty() && rig.Sample(0, 1) == 0.0f) continue;  // still warming up
      heard.push_back(int32_t(std::lround(first * 32768.0f)));
      for (int32_t f = 1; f < engine_test::kFrames; f += 9)
        ASSERT_NEAR(rig.Sample(0, f) * 32768.0f, float(heard.back() + f), 0.01f) << "cycle " << i;
    }
    ASSERT_GE(heard.size(), 8u);
    for (size_t k = 0; k < heard.size(); ++k) EXPECT_EQ(heard[k], int32_t(k) * engine_test::kFrames) << k;
    ASSERT_GE(gRenderedBlocks.size(), heard.size());
    for (size_t k = 0; k < gRenderedBlocks.size(); ++k)
      EXPECT_EQ(gRenderedBlocks[k], int32_t(k) * engine_test::kFrames) << "render " << k;
    EXPECT_EQ(gEngineError.load(), 0);
  }
  gEngineWarmUpCount.store(0);
  SetAudioMode(3);
}
