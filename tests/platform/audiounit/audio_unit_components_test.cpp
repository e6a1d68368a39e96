// Finding the LV2 plug-ins as components: types, stable codes, names, versions, and refusing
// plug-ins that cannot be hosted.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "tests/platform/audiounit/audio_unit_test_support.h"

namespace {

TEST(AudioUnitComponents, TheInstalledPluginsAreFoundWithMakerAndName) {
  EXPECT_GT(CountComponents(nullptr), 100);
  for (const char* name : {kDelayName, kSamplerName, kPulseName}) EXPECT_NE(FindComponentNamed(name), 0u) << name;
  int32_t total = 0;
  for (OSType type : {kAudioUnitType_Effect, kAudioUnitType_MusicDevice, kAudioUnitType_MusicEffect,
                      kAudioUnitType_Generator}) {
    ComponentDescription looking{type, 0, 0, 0, 0};
    int32_t n = CountComponents(&looking);
    int32_t walked = 0;
    for (Component c = FindNextComponent(0, &looking); c != 0; c = FindNextComponent(c, &looking)) ++walked;
    EXPECT_EQ(n, walked);
    total += n;
  }
  EXPECT_EQ(total, CountComponents(nullptr));
}

TEST(AudioUnitComponents, TypesFollowThePluginClassAndPorts) {
  struct Case {
    const char* name;
    OSType type;
  } cases[] = {
      {kDelayName, kAudioUnitType_Effect},
      {kSamplerName, kAudioUnitType_MusicDevice},
      {kPulseName, kAudioUnitType_MusicDevice},
      {"LSP LV2: LSP Trigger MIDI Mono", kAudioUnitType_MusicEffect},
  };
  for (const Case& c : cases) {
    ComponentDescription d;
    ASSERT_EQ(GetComponentInfo(FindComponentNamed(c.name), &d, nullptr), noErr) << c.name;
    EXPECT_EQ(d.componentType, c.type) << c.name;
  }
}

// The codes are made from the plug-in's URI and maker alone: these values must never change,
// or songs would lose their plug-ins.
TEST(AudioUnitComponents, CodesAreStableAndUnique) {
  ComponentDescription pulse, delay;
  ASSERT_EQ(GetComponentInfo(FindComponentNamed(kPulseName), &pulse, nullptr), noErr);
  ASSERT_EQ(GetComponentInfo(FindComponentNamed(kDelayName), &delay, nullptr), noErr);
  EXPECT_EQ(pulse.componentSubType, FourCC("XURw"));
  EXPECT_EQ(pulse.componentManufacturer, FourCC("I6RD"));
  EXPECT_EQ(delay.componentSubType, FourCC("myCY"));
  EXPECT_EQ(delay.componentManufacturer, FourCC("Cz8H"));
  std::set<std::tuple<OSType, OSType, OSType>> seen;
  for (Component c = FindNextComponent(0, nullptr); c != 0; c = FindNextComponent(c, nullptr)) {
    ComponentDescription d;
    ASSERT_EQ(GetComponentInfo(c, &d, nullptr), noErr);
    EXPECT_TRUE(seen.emplace(d.componentType, d.componentSubType, d.componentManufacturer).second);
    ComponentDescription looking{d.componentType, d.componentSubType, d.componentManufacturer, 0, 0};
    EXPECT_EQ(FindNextComponent(0, &looking), c);
  }
}

TEST(AudioUnitComponents, VersionComesFromMinorAndMicro) {
  EXPECT_EQ(GetComponentVersion(FindComponentNamed(kPulseName)), (2 << 8) | 7);
  EXPECT_EQ(GetComponentVersion(0), 0);
}

TEST(AudioUnitComponents, UnknownComponentsAndInstancesAreRefused) {
  unsigned char name[256] = {9};
  EXPECT_EQ(GetComponentInfo(0, nullptr, name), invalidComponentID);
  EXPECT_EQ(name[0], 0);
  EXPECT_EQ(GetComponentInfo(Component(CountComponents(nullptr) + 1), nullptr, name), invalidComponentID);
  ComponentInstance instance = 77;
  EXPECT_EQ(OpenAComponent(0, &instance), invalidComponentID);
  EXPECT_EQ(instance, 0u);
  EXPECT_NE(CloseComponent(12345), noErr);
  EXPECT_EQ(AudioUnitInitialize(12345), badComponentInstance);
}

// A plug-in that cannot be instantiated, needs a feature this host lacks, or lies about its
// ports is refused with an error, and nothing is left open; one whose ports are not all
// described is not offered at all.
TEST(AudioUnitComponents, PluginsThatCannotBeHostedAreRefused) {
  EXPECT_EQ(FindComponentNamed("Zarin Tests: Gappy"), 0u);
  for (const char* name : {"Zarin Tests: Needy", "Zarin Tests: Liar"}) {
    Component c = FindComponentNamed(name);
    ASSERT_NE(c, 0u) << name;
    ComponentInstance instance = 5;
    EXPECT_EQ(OpenAComponent(c, &instance), kAudioUnitErr_FailedInitialization) << name;
    EXPECT_EQ(instance, 0u);
    EXPECT_EQ(OpenComponent(c), 0u);
  }
  Component broken = FindComponentNamed("Zarin Tests: Broken");
  ComponentInstance unit = 0;
  ASSERT_EQ(OpenAComponent(broken, &unit), noErr);
  EXPECT_EQ(AudioUnitInitialize(unit), kAudioUnitErr_FailedInitialization);
  std::vector<float> out(64);
  AudioBufferList list;
  list.mNumberBuffers = 1;
  list.mBuffers[0] = {1, 64 * 4, out.data()};
  EXPECT_EQ(AudioUnitRender(unit, nullptr, nullptr, 0, 64, &list), kAudioUnitErr_Uninitialized);
  EXPECT_EQ(CloseComponent(unit), noErr);
  EXPECT_EQ(AudioUnitInitialize(unit), badComponentInstance);
}

// Every installed plug-in opens and describes its parameters within their limits.
TEST(AudioUnitComponents, EveryInstalledPluginOpens) {
  int opened = 0;
  for (Component c = FindNextComponent(0, nullptr); c != 0; c = FindNextComponent(c, nullptr)) {
    if (ComponentName(c).rfind("LSP LV2: ", 0) != 0) continue;
    ComponentInstance unit = 0;
    ASSERT_EQ(OpenAComponent(c, &unit), noErr) << ComponentName(c);
    uint32_t size = 0;
    ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, nullptr),
              noErr);
    std::vector<AudioUnitParameterID> ids(size / 4);
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(), &size),
              noErr);
    for (AudioUnitParameterID id : ids) {
      AudioUnitParameterInfo info;
      uint32_t infoSize = sizeof info;
      ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &infoSize),
                noErr);
      EXPECT_LE(info.minValue, info.defaultValue) << ComponentName(c) << " " << info.name;
      EXPECT_LE(info.defaultValue, info.maxValue) << ComponentName(c) << " " << info.name;
    }
    EXPECT_EQ(CloseComponent(unit), noErr);
    ++opened;
  }
  EXPECT_GT(opened, 100);
}

}  // namespace
