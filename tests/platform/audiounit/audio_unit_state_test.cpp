// A unit's state as class info: saved from one instance and restored into a fresh one (the
// controls and the plug-in's own state), refused when the bytes are not a state of that
// plug-in; factory presets from the plug-in's LV2 presets.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/text/cf_string.h"
#include "tests/platform/audiounit/audio_unit_test_support.h"

namespace {

CFDataRef SaveState(AudioUnit unit) {
  CFDataRef data = nullptr;
  uint32_t size = sizeof data;
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &data, &size), noErr);
  EXPECT_EQ(size, sizeof data);
  return data;
}

OSStatus RestoreState(AudioUnit unit, CFTypeRef data) {
  return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &data, sizeof data);
}

std::vector<float> PlayNote(AudioUnit unit) {
  EXPECT_EQ(MusicDeviceMIDIEvent(unit, 0x90, 60, 127, 3), noErr);
  EXPECT_EQ(MusicDeviceMIDIEvent(unit, 0x80, 60, 0, 60), noErr);
  return RenderMono(unit, {}, 64, 64);
}

// The delay's controls come back in a fresh instance, restored before or after it is
// initialised, and the signal is delayed as they say.
TEST(AudioUnitState, TheDelaysSettingsComeBackInAFreshInstance) {
  CFDataRef saved;
  {
    TestUnit delay(kDelayName);
    ASSERT_EQ(SetParam(delay.unit, ParameterNamed(delay.unit, "Samples"), 37), noErr);
    ASSERT_EQ(SetParam(delay.unit, ParameterNamed(delay.unit, "Dry amount"), 0.5f), noErr);
    ASSERT_EQ(AudioUnitInitialize(delay.unit), noErr);
    saved = SaveState(delay.unit);
  }
  ASSERT_GT(CFDataGetLength(saved), 0);
  for (bool initialiseFirst : {false, true}) {
    TestUnit fresh(kDelayName);
    if (initialiseFirst) {
      ASSERT_EQ(AudioUnitInitialize(fresh.unit), noErr);
    }
    ASSERT_EQ(RestoreState(fresh.unit, saved), noErr);
    EXPECT_EQ(GetParam(fresh.unit, ParameterNamed(fresh.unit, "Samples")), 37.0f);
    EXPECT_EQ(GetParam(fresh.unit, ParameterNamed(fresh.unit, "Dry amount")), 0.5f);
    if (!initialiseFirst) {
      ASSERT_EQ(AudioUnitInitialize(fresh.unit), noErr);
    }
    std::vector<float> ramp = Ramp(600, 0.001f);
    std::vector<float> out = RenderMono(fresh.unit, ramp, 600, 128);
    for (size_t i = 0; i < out.size(); ++i)
      ASSERT_NEAR(out[i], 0.5f * ramp[i] + (i >= 37 ? ramp[i - 37] : 0.0f), 1e-4f) << i;
  }
  CFRelease(saved);
}

// The instrument keeps a count of the notes it played in its own state (not in a port): it
// comes back through the class info, and across an uninitialise.
TEST(AudioUnitState, ThePluginsOwnStateComesBack) {
  CFDataRef saved;
  {
    TestUnit pulse(kPulseName, 48000.0, 64);
    ASSERT_EQ(AudioUnitInitialize(pulse.unit), noErr);
    ASSERT_EQ(SetParam(pulse.unit, ParameterNamed(pulse.unit, "Level"), 0.3f), noErr);
    for (int i = 0; i < 3; ++i) PlayNote(pulse.unit);
    ASSERT_EQ(AudioUnitUninitialize(pulse.unit), noErr);
    ASSERT_EQ(AudioUnitInitialize(pulse.unit), noErr);
    PlayNote(pulse.unit);
    EXPECT_EQ(GetParam(pulse.unit, ParameterNamed(pulse.unit, "Notes played")), 4.0f);
    ASSERT_EQ(AudioUnitUninitialize(pulse.unit), noErr);
    saved = SaveState(pulse.unit);  // while not initialised: the kept state
  }
  TestUnit fresh(kPulseName, 48000.0, 64);
  ASSERT_EQ(AudioUnitInitialize(fresh.unit), noErr);
  ASSERT_EQ(RestoreState(fresh.unit, saved), noErr);
  EXPECT_NEAR(PlayNote(fresh.unit)[10], 0.3f, 1e-6f);
  EXPECT_EQ(GetParam(fresh.unit, ParameterNamed(fresh.unit, "Notes played")), 5.0f);
  CFRelease(saved);
}

TEST(AudioUnitState, BytesThatAreNotAStateOfThePluginAreRefused) {
  TestUnit delay(kDelayName), pulse(kPulseName);
  ASSERT_EQ(SetParam(pulse.unit, ParameterNamed(pulse.unit, "Level"), 0.4f), noErr);
  CFDataRef delayState = SaveState(delay.unit);
  const char junk[] = "@prefix x: <urn:x#> . this is not a state";
  CFDataRef garbage = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(junk), sizeof junk - 1);
  const UInt8 withNul[] = {'a', 0, 'b'};
  CFDataRef nul = CFDataCreate(nullptr, withNul, 3);
  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  CFStringRef text = CFStringCreateWithUTF8("not data");
  for (CFTypeRef bad : {CFTypeRef(delayState), CFTypeRef(garbage), CFTypeRef(nul), CFTypeRef(empty), CFTypeRef(text)})
    EXPECT_EQ(RestoreState(pulse.unit, bad), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(GetParam(pulse.unit, ParameterNamed(pulse.unit, "Level")), 0.4f);
  for (CFTypeRef made : {CFTypeRef(delayState), CFTypeRef(garbage), CFTypeRef(nul), CFTypeRef(empty), CFTypeRef(text)})
    CFRelease(made);
}

struct Heard {
  int presentPreset = 0;
};

void HearProperty(void* refCon, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement) {
  if (id == kAudioUnitProperty_PresentPreset) ++static_cast<Heard*>(refCon)->presentPreset;
}

TEST(AudioUnitState, FactoryPresetsComeFromThePluginsPresets) {
  TestUnit pulse(kPulseName, 48000.0, 64);
  CFArrayRef presets = nullptr;
  uint32_t size = sizeof presets;
  ASSERT_EQ(AudioUnitGetProperty(pulse.unit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size),
            noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 2);
  auto* loud = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 0));
  auto* soft = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 1));
  EXPECT_EQ(CFStringToUTF8(loud->presetName), "Loud");
  EXPECT_EQ(CFStringToUTF8(soft->presetName), "Soft");
  Heard heard;
  ASSERT_EQ(AudioUnitAddPropertyListener(pulse.unit, kAudioUnitProperty_PresentPreset, HearProperty, &heard), noErr);
  ASSERT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, soft,
                                 sizeof(AUPreset)),
            noErr);
  EXPECT_EQ(GetParam(pulse.unit, ParameterNamed(pulse.unit, "Level")), 0.25f);
  EXPECT_EQ(heard.presentPreset, 1);
  ASSERT_EQ(AudioUnitInitialize(pulse.unit), noErr);
  ASSERT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, loud,
                                 sizeof(AUPreset)),
            noErr);
  EXPECT_NEAR(PlayNote(pulse.unit)[10], 0.75f, 1e-6f);
  AUPreset current{};
  size = sizeof current;
  ASSERT_EQ(AudioUnitGetProperty(pulse.unit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, &current, &size),
            noErr);
  EXPECT_EQ(current.presetNumber, 0);
  AUPreset missing{7, nullptr};
  EXPECT_EQ(AudioUnitSetProperty(pulse.unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &missing,
                                 sizeof missing),
            kAudioUnitErr_InvalidPropertyValue);
  CFRelease(presets);
  TestUnit delay(kDelayName);
  EXPECT_EQ(AudioUnitGetProperty(delay.unit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size),
            kAudioUnitErr_InvalidProperty);
}

}  // namespace
