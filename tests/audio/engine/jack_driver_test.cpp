// The output driver on the JACK server of the test services (its dummy backend runs in real
// time): the devices chosen through the driver's lists, the format taken from the server,
// and open, start, soft stop, restart, the forced stop carried out inside the IO procedure,
// and close. Skipped when no server runs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_thread.h"
#include "platform/coreaudio/core_audio.h"
#include "tests/audio/engine/engine_fixture.h"

using engine_test::EngineRig;

namespace {

template <typename Pred>
bool WaitFor(Pred pred, int millis = 5000) {
  for (int i = 0; i < millis && !pred(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return pred();
}

class JackDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    gCoreAudioDevices = CoreAudioDevices();
    BuildAudioDeviceLists();
    for (size_t i = 0; i < gCoreAudioDevices.inputList.size(); ++i) {
      Str255 name;
      SelectAudioDeviceByIndex(int32_t(i), name, 0);
      if (std::string(reinterpret_cast<char*>(name + 1), name[0]) == "JACK (default)") jackIndex_ = int32_t(i);
    }
    if (jackIndex_ < 0) GTEST_SKIP() << "no JACK server runs (tools/services start)";
    SetAudioMode(3);
  }
  void TearDown() override {
    CloseCoreAudioOutput();
    gCoreAudioDevices = CoreAudioDevices();
  }
  UInt32 Running(AudioDeviceID device) {
    UInt32 running = 0, size = sizeof running;
    AudioDeviceGetProperty(device, 0, false, kAudioDevicePropertyDeviceIsRunning, &size, &running);
    return running;
  }
  bool CyclesPass(uint32_t count) {
    uint32_t from = gCoreAudioIO.outputCycles.load();
    return WaitFor([&] { return gCoreAudioIO.outputCycles.load() >= from + count; });
  }
  int32_t jackIndex_ = -1;
};

TEST_F(JackDriver, OpensStartsAndStopsInEveryOrderTheStatesAllow) {
  Str255 name;
  ASSERT_EQ(SelectAudioDeviceByIndex(jackIndex_, name, 3), 0);
  AudioDeviceID jack = gCoreAudioDevices.outputDevice;
  ASSERT_EQ(gCoreAudioDevices.inputDevice, jack);
  // The server decides the buffer size: the driver takes it.
  gAudioBufferFrames.store(64);
  ASSERT_EQ(ApplyDeviceFormat(1), 0);
  UInt32 serverFrames = 0, size = sizeof serverFrames;
  ASSERT_EQ(AudioDeviceGetProperty(jack, 0, false, kAudioDevicePropertyBufferFrameSize, &size, &serverFrames), 0);
  ASSERT_EQ(gAudioBufferFrames.load(), int32_t(serverFrames));

  EngineRig rig{int32_t(serverFrames)};
  rig.AddChannel(1, 16, 16384, 0);
  gAudioDriverState.store(kDriverNothingStarted);
  EXPECT_EQ(StartCoreAudioOutput(), 121);  // not open

  // Open and start: prime, warm-up, then the hand-off states while the engine mixes.
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, jack, 0), 0);
  EXPECT_EQ(gAudioDriverState.load(), kDriverPrime);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  ASSERT_TRUE(WaitFor([] { return gAudioDriverState.load() == kDriverHandOff; }));
  ASSERT_TRUE(CyclesPass(5));
  EXPECT_EQ(Running(jack), 1u);

  // Soft stop: the device runs on, the procedure renders nothing.
  EXPECT_EQ(StopCoreAudioOutput(0, 0), kDriverIdle);
  uint32_t cycles = gCoreAudioIO.outputCycles.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(40));  // several server periods
  EXPECT_EQ(gCoreAudioIO.outputCycles.load(), cycles);
  EXPECT_EQ(Running(jack), 1u);

  // Restart from idle, then the forced stop carried out by the procedure itself.
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  ASSERT_TRUE(CyclesPass(5));
  EXPECT_EQ(StopCoreAudioOutput(1, 40000), kDriverStoppedInCallback);
  EXPECT_EQ(gAudioDriverState.load(), kDriverNothingStarted);
  EXPECT_FALSE(gCoreAudioIO.outputProcInstalled.load());
  EXPECT_TRUE(WaitFor([&] { return Running(jack) == 0; }));

  // Opened but never started: the forced stop gives up after its bound (or the listener
  // carries it out when the server reports an overrun meanwhile).
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, jack, 0), 0);
  int32_t reached = StopCoreAudioOutput(1, 100);
  EXPECT_TRUE(reached == kDriverStopOutput || reached == kDriverStoppedInCallback) << reached;
  EXPECT_EQ(gAudioDriverState.load(), kDriverNothingStarted);
  EXPECT_FALSE(gCoreAudioIO.outputProcInstalled.load());

  // Open, play, close.
  ASSERT_EQ(OpenCoreAudioOutput(&rig.driver, jack, 0), 0);
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  ASSERT_TRUE(CyclesPass(3));
  CloseCoreAudioOutput();
  EXPECT_EQ(gAudioDriverState.load(), kDriverNothingStarted);
  EXPECT_TRUE(WaitFor([&] { return Running(jack) == 0; }));
  EXPECT_EQ(TakeEngineError(), 0);
}

// Separate devices: input from the server, output on the null device in manual mode. The
// forced stop goes through both hand-shakes: the input procedure stops its own device on the
// server's thread (state 8 to 9), then the output procedure its own (9 to 10).
TEST_F(JackDriver, SeparateInputAndOutputDevicesStopOneAfterTheOther) {
  Str255 name;
  ASSERT_EQ(SelectAudioDeviceByIndex(jackIndex_, name, 1), 0);
  AudioDeviceID jack = gCoreAudioDevices.inputDevice;
  AudioDeviceID null = GetNullAudioDevice();
  ASSERT_TRUE(WaitFor([] { return SetNullDeviceManualMode(true) == 0; }));
  UInt32 frames = 0, size = sizeof frames;
  ASSERT_EQ(AudioDeviceGetProperty(jack, 0, true, kAudioDevicePropertyBufferFrameSize, &size, &frames), 0);
  ASSERT_EQ(AudioDeviceSetProperty(null, nullptr, 0, false, kAudioDevicePropertyBufferFrameSize, sizeof frames,
                                   &frames), 0);
  EngineRig rig{int32_t(frames)};
  rig.AddChannel(1, 16, 16384, 0);
  gAudioDriverState.store(kDriverNothingStarted);
  ASSERT_EQ(OpenCoreAudioDevices(&rig.driver, null, jack, 0), 0);
  EXPECT_EQ(gCoreAudioIO.outputProc.load(), AudioOutputProc);
  EXPECT_TRUE(gCoreAudioIO.inputProcInstalled.load());
  ASSERT_EQ(StartCoreAudioOutput(), 0);
  ASSERT_TRUE(WaitFor([&] { return Running(jack) == 1; }));
  for (int i = 0; i < 4; ++i) {
    uint32_t mixed = gEngineQueue.cyclesMixed.load();
    ASSERT_EQ(RunNullDeviceCycles(1), 1u);
    if (i > 0) {
      ASSERT_TRUE(rig.WaitForMixes(mixed + 1));
    }
  }
  EXPECT_EQ(gAudioDriverState.load(), kDriverHandOff);

  RequestCoreAudioStop();
  EXPECT_EQ(gAudioDriverState.load(), kDriverStopInput);
  ASSERT_TRUE(WaitFor([] { return gAudioDriverState.load() == kDriverStopOutput; }));
  EXPECT_FALSE(gCoreAudioIO.inputProcInstalled.load());
  ASSERT_EQ(RunNullDeviceCycles(1), 1u);
  EXPECT_EQ(FinishCoreAudioStop(200), kDriverStoppedInCallback);
  EXPECT_TRUE(WaitFor([&] { return Running(jack) == 0; }));
  EXPECT_EQ(Running(null), 0u);
  EXPECT_EQ(SetNullDeviceManualMode(false), 0);
  EXPECT_EQ(TakeEngineError(), 0);
}

}  // namespace
