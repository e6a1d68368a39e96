// The output driver on the null device in manual mode: open, start and stop in the orders the
// state machine allows, warm-up cycles, the stop carried out inside the IO procedure, and the
// mixed signal in the device's WAV capture.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/devices/coreaudio_settings.h"
#include "audio/devices/device_settings_hooks.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/output_render.h"
#include "platform/coreaudio/core_audio.h"
#include "tests/audio/engine/engine_fixture.h"
#include "tests/test_support.h"

using engine_test::EngineRig;
using engine_test::kFrames;

namespace {

class NullDeviceDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    device_ = engine_test::NullDeviceInManualMode(kFrames);
    ASSERT_NE(device_, kAudioDeviceUnknown);
    SetAudioMode(3);
  }
  void TearDown() override {
    CloseCoreAudioOutput();
    AudioHardwareFlushNotifications(1000);
    // A stop made inside the callback has stopped the hardware too: the mode may change.
    EXPECT_EQ(SetNullDeviceManualMode(false), 0);
  }
  bool Running() {
    UInt32 running = 0, size = sizeof running;
    AudioDeviceGetProperty(device_, 0, false, kAudioDevicePropertyDeviceIsRunning, &size, &running);
    return running != 0;
  }
  // One device buffer, then the engine's mix of it.
  void Play(EngineRig& rig, int cycles) {
    for (int i = 0; i < cycles; ++i) {
      uint32_t mixed = gEngineQueue.cyclesMixed.load();
      bool posts = gAudioDriverState.load() >= kDriverWarmUp && gAudioDriverState.load() <= kDriverRunningAtRate;
      ASSERT_EQ(RunNullDeviceCycles(1), 1u);
      if (posts) {
        ASSERT_TRUE(rig.WaitForMixes(mixed + 1));
        // A real buffer's time lets the disk refill the half the cycle used up.
        rig.WaitForRefills();
      }
    }
  }
  AudioDeviceID device_ = kAudioDeviceUnknown;
};

namespace {
void* gDialogRecordSeen = nullptr;
int32_t CountingSettingsDialog(void* record) {
  gDialogRecordSeen = record;
  return 7;
}
}  // namespace

// Slot 13 runs the settings dialog that the application installs; without one nothing is
// shown and the call answers its argument.
TEST(DriverStates, TheSettingsDialogSlotRunsTheInstalledDialog) {
  ASSERT_NE(gCoreAudioDriver.RunSettingsDialog, nullptr);
  const DeviceSettingsHooks saved = gDeviceSettingsHooks;
  gDeviceSettingsHooks = {};
  int32_t record = 0;
  EXPECT_EQ(gCoreAudioDriver.RunSettingsDialog(nullptr), 0);
  gDeviceSettingsHooks.runDeviceSettingsDialog = CountingSettingsDialog;
  EXPECT_EQ(gCoreAudioDriver.RunSettingsDialog(&record), 7);
  EXPECT_EQ(gDialogRecordSeen, &record);
  gDeviceSettingsHooks = saved;
}

TEST(DriverStates, TransitionsFollowTheStateTable) {
  EXPECT_TRUE(AudioDriverTransitionAllowed(kDriverNothingStarted, kDriverPrime));
  EXPECT_FALSE(AudioDriverTransitionAllowed(kDriverNothingStarted, kDriverHandOff));
  EXPECT_TRUE(AudioDriverTransitionAllowed(kDriverIdle, kDriverInputOnly));
  EXPECT_TRUE(AudioDriverTransitionAllowed(kDriverPrime, kDriverWarmUp));
  EXPECT_TRUE(AudioDriverTransitionAllowed(kDriverWarmUp, kDriverRunningAtRate));
  EXPECT_TRUE(AudioDriverTransitionAllowed(kDriverStopInput, kDriverStopOutput));
  EXPECT_FALSE(AudioDriverTransitionAllowed(kDriverStopOutput, kDriverIdle));
  EXPECT_TRUE(AudioDriverTransitionAllowed(kDriverStoppedInCallback, kDriverNothingStarted));
  gAudioDriverState.store(kDriverNothingStarted);
  EXPECT_FALSE(SetAudioDriverState(kDriverHandOff));
  EXPECT_TRUE(SetAudioDriverState(kDriverPrime));
  gAudioDriverState.store(kDriverNothingStarted);
  // The bounded wait gives up and says where the state stood.
  EXPECT_EQ(WaitForAudioDriverState(kDriverStoppedInCallback, kDriverStoppedInCallback, 20), kDriverNothingStarted);
}

TEST_F(NullDeviceDriver, OpenStartSoftStopRestartAndStopInsideTheProcedure) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  EXPECT_EQ(gAudioDriverState.load(), kDriverPrime);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 4);
  EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);
  EXPECT_TRUE(Running());
  EXPECT_NE(gCoreAudioTiming.firstOutputHostTime.load(), 0u);

  // Soft stop: the device keeps running, the procedure returns at once.
  EXPECT_EQ(StopCoreAudioOutput(0, 0), kDriverIdle);
  uint32_t cycles = gCoreAudioIO.outputCycles.load();
  ASSERT_EQ(RunNullDeviceCycles(3), 3u);
  EXPECT_EQ(gCoreAudioIO.outputCycles.load(), cycles);
  EXPECT_TRUE(Running());

  // Start again from idle, then the forced stop, carried out by the procedure itself.
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 3);
  EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);
  RequestCoreAudioStop();
  EXPECT_EQ(gAudioDriverState.load(), kDriverStopOutput);
  ASSERT_EQ(RunNullDeviceCycles(1), 1u);
  EXPECT_EQ(gAudioDriverState.load(), kDriverStoppedInCallback);
  EXPECT_EQ(FinishCoreAudioStop(200), kDriverStoppedInCallback);
  EXPECT_EQ(gAudioDriverState.load(), kDriverNothingStarted);
  EXPECT_FALSE(Running());
  EXPECT_FALSE(gCoreAudioIO.outputProcInstalled.load());
  EXPECT_EQ(RunNullDeviceCycles(1), 0u);
  EXPECT_EQ(gEngineError.load(), 0);
}

TEST_F(NullDeviceDriver, ForcedStopWithoutCallbacksFallsBackAfterItsBound) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  // Opened, never started: nothing will call the procedure.
  EXPECT_EQ(StopCoreAudioOutput(1, 100), kDriverStopOutput);
  EXPECT_EQ(gAudioDriverState.load(), kDriverNothingStarted);
  EXPECT_FALSE(gCoreAudioIO.outputProcInstalled.load());
  // Started and running, but no cycle comes while the main thread waits.
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 3);
  EXPECT_EQ(StopCoreAudioOutput(1, 100), kDriverStopOutput);
  EXPECT_FALSE(Running());
  EXPECT_EQ(gAudioDriverState.load(), kDriverNothingStarted);
  // And it opens and plays again afterwards.
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 3);
  EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);
}

// Input and output on one device: only the duplex procedure is installed, the device starts
// once, and a forced stop is carried out by that procedure.
TEST_F(NullDeviceDriver, OneDeviceForBothSidesRunsTheDuplexProcedure) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  ASSERT_EQ(OpenCoreAudioDevices(&rig.driver, device_, device_, 0), 0);
  EXPECT_EQ(gCoreAudioIO.outputProc.load(), AudioDuplexProc);
  EXPECT_FALSE(gCoreAudioIO.inputProcInstalled.load());
  EXPECT_EQ(AudioDeviceAddIOProc(device_, AudioDuplexProc, nullptr), kAudioHardwareIllegalOperationError);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 4);
  EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);
  EXPECT_GT(gCoreAudioIO.outputCycles.load(), 0u);
  RequestCoreAudioStop();
  ASSERT_EQ(RunNullDeviceCycles(1), 1u);
  EXPECT_EQ(FinishCoreAudioStop(200), kDriverStoppedInCallback);
  EXPECT_FALSE(Running());
  EXPECT_FALSE(gCoreAudioIO.outputProcInstalled.load());
  // Reopened for the output alone, the output procedure takes its place.
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  EXPECT_EQ(gCoreAudioIO.outputProc.load(), AudioOutputProc);
}

TEST_F(NullDeviceDriver, WarmUpCyclesRenderNothing) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 2), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  uint32_t cycles = gCoreAudioIO.outputCycles.load();
  ASSERT_EQ(RunNullDeviceCycles(2), 2u);
  EXPECT_EQ(gCoreAudioIO.outputCycles.load(), cycles);
  EXPECT_EQ(gAudioDriverState.load(), kDriverPrime);
  Play(rig, 1);
  EXPECT_EQ(gAudioDriverState.load(), kDriverWarmUp);
}

// Through the driver record: the chosen output device, and skip frames of four buffers make
// the first three output cycles after the start render nothing.
TEST_F(NullDeviceDriver, TheDriverRecordSkipsTheSettingsFramesAfterAStart) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  gCoreAudioDevices = CoreAudioDevices();
  gCoreAudioDevices.outputDevice = device_;
  gCoreAudioDevices.outputChannels = 2;
  gCoreAudioDevices.inputOff = 1;
  gCoreAudioSettings.skipFrames = 4 * kFrames;
  ASSERT_EQ(gCoreAudioDriver.Open(rig.driver.channelList), 0);
  EXPECT_EQ(gCoreAudioIO.outputDevice.load(), device_);
  ASSERT_EQ(gCoreAudioDriver.Start(), 0);
  uint32_t cycles = gCoreAudioIO.outputCycles.load();
  ASSERT_EQ(RunNullDeviceCycles(3), 3u);
  EXPECT_EQ(gCoreAudioIO.outputCycles.load(), cycles);
  ASSERT_EQ(RunNullDeviceCycles(1), 1u);
  EXPECT_EQ(gCoreAudioIO.outputCycles.load(), cycles + 1);
  EXPECT_EQ(gCoreAudioDriver.Stop(0), 0);  // soft: the device runs on
  EXPECT_EQ(gAudioDriverState.load(), kDriverIdle);
  EXPECT_TRUE(Running());
  gCoreAudioSettings = CoreAudioSettings();
  gCoreAudioDevices = CoreAudioDevices();
  gCoreAudioDriver.channelList = nullptr;
}

TEST_F(NullDeviceDriver, TheMixedSignalIsHeardInTheCapture) {
  zarin_test::TempFolder folder;
  std::string wav = folder.File("engine.wav");
  EngineRig rig;
  EngineChannel* channel = rig.AddChannel(1, 16, 16384, 0);
  SetChannelGains(32768, 0, &channel->gainLeft, &channel->gainRight);  // hard left
  ASSERT_EQ(SetNullDeviceCapturePath(wav.c_str()), 0);
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 20);
  EXPECT_EQ(StopCoreAudioOutput(1, 100), kDriverStopOutput);
  SetNullDeviceCapturePath(nullptr);
  SF_INFO info{};
  SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  ASSERT_EQ(info.channels, 2);
  std::vector<float> samples(size_t(info.frames) * 2);
  sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  ASSERT_GE(info.frames, 19 * kFrames);
  // The first buffer (prime) is silent; every later one carries the signal on the left only.
  for (sf_count_t f = kFrames; f < info.frames; ++f) {
    ASSERT_NEAR(samples[size_t(f) * 2], 0.5f, 1e-5) << "frame " << f;
    ASSERT_NEAR(samples[size_t(f) * 2 + 1], 0.0f, 1e-6) << "frame " << f;
  }
}

TEST_F(NullDeviceDriver, FormatChangesWhilePlayingSuspendAudio) {
  EngineRig rig;
  rig.AddChannel(1, 16, 16384, 0);
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, device_, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  Play(rig, 3);
  struct Case {
    AudioDevicePropertyID property;
    float preferredRate;
    bool suspends;
  };
  const Case cases[] = {
      {kAudioDevicePropertyPhysicalFormat, 0.0f, true},
      {kAudioDevicePropertyNominalSampleRate, 12345.0f, true},  // not the preferred rate
      {kAudioDevicePropertyNominalSampleRate, 0.0f, false},     // no preferred rate yet
      {kAudioDevicePropertyDeviceUID, 0.0f, false},
  };
  for (const Case& c : cases) {
    gAudioSuspended = 0;
    TakeEngineError();
    gPreferredSampleRate = c.preferredRate;
    EXPECT_EQ(DevicePropertyListener(device_, 0, false, c.property, nullptr), 0);
    EXPECT_EQ(gAudioSuspended != 0, c.suspends) << c.property;
    EXPECT_EQ(TakeEngineError(), c.suspends ? -128 : 0) << c.property;
  }
  gAudioSuspended = 0;
  gPreferredSampleRate = 0.0f;
  // An overload while the output's stop is pending stops the device from the listener.
  RequestCoreAudioStop();
  EXPECT_EQ(DevicePropertyListener(device_, 0, false, kAudioDeviceProcessorOverload, nullptr), 0);
  EXPECT_EQ(gAudioDriverState.load(), kDriverStoppedInCallback);
  EXPECT_FALSE(Running());
  EXPECT_EQ(FinishCoreAudioStop(10), kDriverStoppedInCallback);
}

}  // namespace
