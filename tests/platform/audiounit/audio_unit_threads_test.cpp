// A unit rendered on one thread while the main thread changes it: the render never waits and
// never sees a unit half changed or gone (a busy unit answers one silent block), and the main
// thread's calls succeed within their bound.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/platform/audiounit/audio_unit_test_support.h"

namespace {

struct Renderer {
  AudioUnit unit;
  std::atomic<bool> stop{false};
  std::atomic<int> rendered{0}, busy{0}, gone{0}, other{0};
  float block[128] = {};

  void Run() {
    AudioBufferList list;
    while (!stop.load()) {
      MusicDeviceMIDIEvent(unit, 0x90, 60, 100, 5);
      list.mNumberBuffers = 1;
      list.mBuffers[0] = {1, sizeof block, block};
      OSStatus status = AudioUnitRender(unit, nullptr, nullptr, 0, 128, &list);
      if (status == noErr) ++rendered;
      else if (status == kAudioUnitErr_CannotDoInCurrentContext) ++busy;
      else if (status == badComponentInstance) ++gone;
      else ++other;
      MusicDeviceMIDIEvent(unit, 0x80, 60, 0, 50);
    }
  }
};

TEST(AudioUnitThreads, TheMainThreadChangesAUnitWhileItRenders) {
  TestUnit pulse(kPulseName, 48000.0, 128);
  ASSERT_EQ(AudioUnitInitialize(pulse.unit), noErr);
  Renderer r{pulse.unit};
  std::thread engine([&r] { r.Run(); });
  for (int i = 0; i < 10000 && r.rendered.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  long level = ParameterNamed(pulse.unit, "Level");
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(SetParam(pulse.unit, level, float(i % 10) / 10), noErr);
    CFDataRef state = nullptr;
    uint32_t size = sizeof state;
    ASSERT_EQ(AudioUnitGetProperty(pulse.unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size), noErr);
    EXPECT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, size), noErr);
    CFRelease(state);
    AUPreset preset{i % 2, nullptr};
    EXPECT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &preset,
                                   sizeof preset),
              noErr);
    EXPECT_EQ(AudioUnitReset(pulse.unit, kAudioUnitScope_Global, 0), noErr);
    if (i % 10 == 0) {
      uint32_t frames = 128 + uint32_t(i);
      EXPECT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                     &frames, 4),
                noErr);
    }
  }
  EXPECT_EQ(CloseComponent(pulse.unit), noErr);
  for (int i = 0; i < 10000 && r.gone.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  r.stop = true;
  engine.join();
  pulse.unit = 0;
  EXPECT_GT(r.rendered.load(), 0);
  EXPECT_GT(r.gone.load(), 0);
  EXPECT_EQ(r.other.load(), 0);
}

}  // namespace
