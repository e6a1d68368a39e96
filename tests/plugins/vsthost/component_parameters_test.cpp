// Parameters and state of a component (an LV2 plug-in behind the component layer) through
// the same calls as VST plug-ins: normalised values mapped to the unit's own range, the
// parameter's description, its class information bringing every value back, and ramps that
// leave one parameter or all of them to be notified.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audiounit/audio_unit.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_state.h"
#include "plugins/library/plugin_table.h"
#include "tests/plugins/instances/component_entry.h"

namespace {

const bool gPathSet = [] {
  setenv("LV2_PATH", "/usr/lib/lv2", 1);
  return true;
}();

constexpr const char* kCompressorName = "LSP LV2: LSP Compressor Stereo";

class ComponentParametersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int32_t index = instances_test::AppendComponentEntry(kCompressorName, kPluginKindAuEffect, FourCC("tst2"));
    if (index < 0) GTEST_SKIP() << kCompressorName << " is not installed";
    OSErr err = 1;
    ASSERT_NE(0u, OpenPluginInstance(nullptr, 512, &head_, index, 0, PluginInfoAt(index),
                                     kOpenQuietly, nullptr, 48000.0, &err));
    instance_ = GetChainPlugin(head_, 0);
    ASSERT_NE(instance_, nullptr);
    ASSERT_GT(instance_->parameterCount, 4u);
  }
  void TearDown() override { ReleaseChainPlugins(head_); }
  // The first parameters with a continuous range (not indexed, not Boolean, not a meter).
  std::vector<int32_t> Continuous(size_t count) {
    std::vector<int32_t> found;
    for (int32_t i = 0; i < int32_t(instance_->parameterCount) && found.size() < count; ++i) {
      ParameterDescription d;
      if (GetParameterInfo(instance_, i, &d) == noErr && d.unit != kParameterUnitIndexed &&
          d.unit != kParameterUnitBoolean && d.maximum > d.minimum &&
          !(d.flags & kAudioUnitParameterFlag_MeterReadOnly))
        found.push_back(i);
    }
    return found;
  }
  uint32_t head_ = 0;
  PluginInstance* instance_ = nullptr;
};

TEST_F(ComponentParametersTest, NormalisedValuesMapToTheUnitsRange) {
  std::vector<int32_t> indexes = Continuous(3);
  ASSERT_FALSE(indexes.empty());
  for (int32_t i : indexes) {
    ParameterDescription d;
    ASSERT_EQ(GetParameterInfo(instance_, i, &d), noErr);
    SetPluginParameterChecked(instance_, i, 0.3f, kSetParameterNormal);
    EXPECT_NEAR(GetPluginParameterChecked(instance_, i), 0.3f, 1e-3f) << i;
    AudioUnitParameterValue raw = 0;
    ASSERT_EQ(AudioUnitGetParameter(instance_->unit, instance_->parameterIds[i], kAudioUnitScope_Global, 0, &raw), noErr);
    EXPECT_GE(raw, d.minimum);
    EXPECT_LE(raw, d.maximum);
    SetPluginParameterChecked(instance_, i, d.minimum + 0.5f * (d.maximum - d.minimum), kSetParameterUnits);
    ASSERT_EQ(AudioUnitGetParameter(instance_->unit, instance_->parameterIds[i], kAudioUnitScope_Global, 0, &raw), noErr);
    EXPECT_NEAR(raw, d.minimum + 0.5f * (d.maximum - d.minimum), 1e-3f * (d.maximum - d.minimum));
    char name[64], text[64];
    GetParameterName(instance_, i, name, sizeof name);
    EXPECT_GT(std::strlen(name), 0u);
    EXPECT_EQ(GetParameterValueText(instance_, i, text, sizeof text, nullptr), noErr);
    EXPECT_GT(std::strlen(text), 0u);
  }
  EXPECT_EQ(GetPluginParameterChecked(instance_, int32_t(instance_->parameterCount)), 0.0f);
  EXPECT_EQ(ParseParameterValue(instance_, int32_t(instance_->parameterCount), "1", nullptr), -4);
}

TEST_F(ComponentParametersTest, ClassInformationBringsEveryValueBack) {
  std::vector<int32_t> indexes = Continuous(4);
  ASSERT_FALSE(indexes.empty());
  for (size_t n = 0; n < indexes.size(); ++n)
    SetPluginParameterChecked(instance_, indexes[n], 0.2f + 0.1f * float(n), kSetParameterNormal);
  std::vector<float> saved;
  for (int32_t i : indexes) saved.push_back(GetPluginParameterChecked(instance_, i));
  const void* data = nullptr;
  int32_t length = SavePluginClassInfo(instance_, &data, false);
  ASSERT_GT(length, 0);
  std::vector<uint8_t> state(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
  for (int32_t i : indexes) SetPluginParameterChecked(instance_, i, 0.9f, kSetParameterNormal);
  ASSERT_EQ(RestorePluginState(instance_, state.data(), length, false), noErr);
  for (size_t n = 0; n < indexes.size(); ++n)
    EXPECT_NEAR(GetPluginParameterChecked(instance_, indexes[n]), saved[n], 1e-4f) << indexes[n];
  EXPECT_FALSE(instance_->stateFlags & kPluginStateNoRefresh) << "the quiet flag is put back";
}

// The class information is saved as an XML property list that names the component; state
// saved as the bare bytes before still restores, and a damaged document changes nothing.
TEST_F(ComponentParametersTest, ClassInformationIsAnXmlPropertyList) {
  std::vector<int32_t> indexes = Continuous(1);
  ASSERT_FALSE(indexes.empty());
  int32_t i = indexes[0];
  SetPluginParameterChecked(instance_, i, 0.25f, kSetParameterNormal);
  const void* data = nullptr;
  int32_t length = SavePluginClassInfo(instance_, &data, false);
  ASSERT_GT(length, 0);
  std::string xml(static_cast<const char*>(data), size_t(length));
  EXPECT_EQ(0u, xml.find("<?xml"));
  EXPECT_NE(std::string::npos, xml.find("<key>data</key>"));
  EXPECT_NE(std::string::npos, xml.find("<key>type</key>"));

  CFDataRef bare = nullptr;
  uint32_t size = sizeof bare;
  ASSERT_EQ(noErr, AudioUnitGetProperty(instance_->unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                                        &bare, &size));
  std::vector<uint8_t> old(CFDataGetBytePtr(bare), CFDataGetBytePtr(bare) + CFDataGetLength(bare));
  CFRelease(bare);
  SetPluginParameterChecked(instance_, i, 0.75f, kSetParameterNormal);
  ASSERT_EQ(noErr, RestorePluginState(instance_, old.data(), int32_t(old.size()), false));
  EXPECT_NEAR(0.25f, GetPluginParameterChecked(instance_, i), 1e-4f);

  SetPluginParameterChecked(instance_, i, 0.75f, kSetParameterNormal);
  std::string damaged = xml.substr(0, xml.size() / 2);
  EXPECT_NE(noErr, RestorePluginState(instance_, damaged.data(), int32_t(damaged.size()), false));
  EXPECT_NEAR(0.75f, GetPluginParameterChecked(instance_, i), 1e-4f);
  ASSERT_EQ(noErr, RestorePluginState(instance_, xml.data(), int32_t(xml.size()), false));
  EXPECT_NEAR(0.25f, GetPluginParameterChecked(instance_, i), 1e-4f);
}

// A value's own text parses back to it; an indexed value's name gives its index; a text that
// names nothing is refused.
TEST_F(ComponentParametersTest, TextsParseBackToValues) {
  std::vector<int32_t> indexes = Continuous(3);
  ASSERT_FALSE(indexes.empty());
  for (int32_t i : indexes) {
    SetPluginParameterChecked(instance_, i, 0.4f, kSetParameterNormal);
    float set = GetPluginParameterChecked(instance_, i);
    char text[64];
    ASSERT_EQ(noErr, GetParameterValueText(instance_, i, text, sizeof text, nullptr));
    float parsed = -1.0f;
    ASSERT_EQ(noErr, ParseParameterValue(instance_, i, text, &parsed)) << text;
    EXPECT_NEAR(set, parsed, 2e-3f) << text;
    EXPECT_NE(noErr, ParseParameterValue(instance_, i, "no such value", &parsed));
  }
  for (int32_t i = 0; i < int32_t(instance_->parameterCount); ++i) {
    ParameterDescription d;
    if (GetParameterInfo(instance_, i, &d) != noErr || d.unit != kParameterUnitIndexed || d.maximum < d.minimum + 1)
      continue;
    float value = d.minimum + 1;
    char name[64];
    ASSERT_EQ(noErr, GetParameterValueText(instance_, i, name, sizeof name, &value));
    float parsed = -1.0f;
    ASSERT_EQ(noErr, ParseParameterValue(instance_, i, name, &parsed)) << name;
    EXPECT_EQ(value, parsed) << name;
    return;
  }
  ADD_FAILURE() << "no indexed parameter";
}

// One ramp event leaves its parameter to be notified; a second list while one is pending,
// or a list of two, leaves all of them; the list is emptied and the values are set.
TEST_F(ComponentParametersTest, RampsLeaveTheirParametersToBeNotified) {
  std::vector<int32_t> indexes = Continuous(2);
  ASSERT_EQ(indexes.size(), 2u);
  struct List {
    uint32_t count;
    AudioUnitParameterEvent events[2];
  } list{};
  auto event = [&](int n, int32_t index, float value) {
    list.events[n].scope = kAudioUnitScope_Global;
    list.events[n].parameter = AudioUnitParameterID(index);
    list.events[n].eventType = kParameterEvent_Immediate;
    list.events[n].eventValues.immediate.value = value;
  };
  list.count = 1;
  event(0, indexes[1], 0.4f);
  instance_->notifyPending = 0;
  ASSERT_EQ(ScheduleParameterRamps(reinterpret_cast<Ptr>(&list), instance_), noErr);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(instance_->notifyPending, 1);
  EXPECT_EQ(instance_->pendingParameter, instance_->parameterIds[indexes[1]]);
  EXPECT_NEAR(GetPluginParameterChecked(instance_, indexes[1]), 0.4f, 1e-3f);
  FlushParameterNotify(instance_);
  EXPECT_EQ(instance_->notifyPending, 0);
  list.count = 2;
  event(0, indexes[0], 0.6f);
  event(1, indexes[1], 0.7f);
  ASSERT_EQ(ScheduleParameterRamps(reinterpret_cast<Ptr>(&list), instance_), noErr);
  EXPECT_EQ(instance_->pendingParameter, 0xFFFFFFFFu);
  EXPECT_NEAR(GetPluginParameterChecked(instance_, indexes[0]), 0.6f, 1e-3f);
  uint32_t marker = uint32_t(-4);
  std::memcpy(&list.count, &marker, 4);
  EXPECT_EQ(ScheduleParameterRamps(reinterpret_cast<Ptr>(&list), instance_), noErr);
  EXPECT_EQ(list.count, marker) << "a marker list is left alone";
}

}  // namespace
