// Shared by the audio hardware tests: a fixture that leaves the layer as it found it, small
// property helpers, and JACK availability.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/coreaudio/core_audio.h"

namespace audio_test {

// Resets the null device (rate, buffer size, manual mode, capture, data source) and unloads
// the layer after each test, so tests in one process do not see each other's devices.
class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  AudioDeviceID null_ = kAudioDeviceUnknown;
};

UInt32 GetU32(AudioDeviceID device, Boolean isInput, AudioDevicePropertyID property, OSStatus* err = nullptr);
Float64 GetF64(AudioDeviceID device, AudioDevicePropertyID property);
OSStatus SetU32(AudioDeviceID device, Boolean isInput, AudioDevicePropertyID property, UInt32 value);
OSStatus SetF64(AudioDeviceID device, AudioDevicePropertyID property, Float64 value);
// A CFString property as UTF-8, or "" when it failed (*err gets the result).
std::string GetText(AudioDeviceID device, UInt32 channel, Boolean isInput, AudioDevicePropertyID property,
                    OSStatus* err = nullptr);
std::vector<AudioDeviceID> DeviceList();
// The listed device with this name, or kAudioDeviceUnknown.
AudioDeviceID FindDeviceNamed(const std::string& name);
// Total channels of a side from its stream configuration.
UInt32 CountChannels(AudioDeviceID device, Boolean isInput);

// True when a JACK server answers (never starts one).
bool JackServerRunning();

// Polls until pred() holds, at most timeoutMillis; answers pred().
template <typename Pred>
bool WaitUntil(Pred pred, int timeoutMillis = 3000);

}  // namespace audio_test

#include "tests/platform/coreaudio/audio_test_wait.h"
