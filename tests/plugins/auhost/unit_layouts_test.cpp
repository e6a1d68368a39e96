// Channel layouts and parameter listeners against the installed LV2 plug-ins, which take
// exactly the channels of their ports.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/audiounit/audio_unit_listeners.h"
#include "platform/memory/memory.h"
#include "plugins/host/audio_unit_layouts.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/library/plugin_table.h"
#include "tests/platform/audiounit/audio_unit_test_support.h"

namespace {

constexpr const char* kStereoDelayName = "LSP LV2: LSP Delay Compensator Stereo";

// An instance record over an open unit, laid out as an open would lay it out.
PluginInstance Negotiated(AudioUnit unit, OSStatus* err = nullptr) {
  PluginInstance record;
  record.unit = unit;
  record.tableIndex = 0xFFFF;  // no table entry: may be initialised again
  record.inputBuses = CountBusElements(unit, kAudioUnitScope_Input);
  record.outputBuses = CountBusElements(unit, kAudioUnitScope_Output);
  OSStatus result = NegotiateAudioUnitFormats(unit, &record.inputChannels, &record.outputChannels,
                                              record.outputBuses, record.outputBusChannels,
                                              &record.formatBits, record.inputBuses,
                                              record.inputBusChannels);
  if (err) *err = result;
  DeriveOutputLayout(&record);
  return record;
}

TEST(UnitLayoutsTest, NegotiationTakesTheUnitsOwnChannels) {
  struct Case {
    const char* name;
    uint32_t inputs, outputs;
  } cases[] = {{kDelayName, 1, 1}, {kStereoDelayName, 2, 2}};
  for (const Case& c : cases) {
    TestUnit unit(c.name);
    OSStatus err = -1;
    PluginInstance record = Negotiated(unit.unit, &err);
    EXPECT_EQ(noErr, err) << c.name;
    EXPECT_EQ(c.inputs, record.inputChannels) << c.name;
    EXPECT_EQ(c.outputs, record.outputChannels) << c.name;
    EXPECT_EQ(c.outputs, record.outputBusChannels[0]) << c.name;
    EXPECT_EQ(1, record.outputCount) << c.name;
    EXPECT_EQ(c.outputs == 2 ? 1u : 0u, record.stereoOutputs) << c.name;
    int32_t count = 0;
    AUChannelInfo* list = CopySupportedChannels(unit.unit, &count);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(1, count);
    DisposePtr(reinterpret_cast<Ptr>(list));
  }
}

// Asked for stereo, a mono delay is laid out in the nearest configuration it publishes (its
// own) and initialised again.
TEST(UnitLayoutsTest, OtherCountsTakeTheNearestSupportedLayout) {
  TestUnit unit(kDelayName);
  PluginInstance record = Negotiated(unit.unit);
  ASSERT_EQ(noErr, AudioUnitInitialize(unit.unit));
  record.stateFlags |= kPluginStateInitialised;

  EXPECT_EQ(noErr, SetPluginChannelCounts(&record, 2, 2));
  EXPECT_EQ(1u, record.inputChannels);
  EXPECT_EQ(1u, record.outputChannels);
  EXPECT_TRUE(record.stateFlags & kPluginStateInitialised);
  AudioStreamBasicDescription format;
  ASSERT_EQ(noErr, GetStreamFormat(unit.unit, &format, kAudioUnitScope_Output, 0));
  EXPECT_EQ(1u, format.mChannelsPerFrame);
  // It still renders: a ramp comes through.
  std::vector<float> ramp = Ramp(600, 0.001f);
  std::vector<float> out = RenderMono(unit.unit, ramp, 600, 200);
  float peak = 0.0f;
  for (float v : out) peak = v > peak ? v : peak;
  EXPECT_GT(peak, 0.0f);

  // The counts it has already are no change at all.
  EXPECT_EQ(noErr, SetPluginChannelCounts(&record, 1, 1));
  // Not a component instance, or counts out of range: refused.
  PluginInstance none;
  EXPECT_EQ(paramErr, SetPluginChannelCounts(&none, 2, 2));
  EXPECT_EQ(paramErr, SetPluginChannelCounts(&record, 1, 33));
}

TEST(UnitLayoutsTest, ChannelCountMenuOffersWhatTheUnitTakes) {
  TestUnit unit(kStereoDelayName);
  PluginInstance record = Negotiated(unit.unit);
  int32_t counts[24];
  ASSERT_EQ(1, CollectChannelCountChoices(1, &record, counts));
  EXPECT_EQ(2, counts[0]);
  ASSERT_EQ(1, CollectChannelCountChoices(0, &record, counts));
  EXPECT_EQ(2, counts[0]);
}

TEST(UnitLayoutsTest, NoReinitialiseFlagLeavesTheUnitInitialised) {
  ResetPluginTable();
  PluginInfo info;
  info.pluginFlags = kPluginInfoNoReinitialize;
  int32_t index = AppendPluginInfo(info);
  ASSERT_GE(index, 0);
  TestUnit unit(kDelayName);
  PluginInstance record = Negotiated(unit.unit);
  record.tableIndex = uint32_t(index);
  EXPECT_EQ(0, MayReinitialize(&record));
  ASSERT_EQ(noErr, AudioUnitInitialize(unit.unit));
  record.stateFlags |= kPluginStateInitialised;
  SetPluginChannelCounts(&record, 2, 2);
  EXPECT_TRUE(record.stateFlags & kPluginStateInitialised);
  EXPECT_EQ(1u, record.outputChannels);
  ResetPluginTable();
}

struct Heard {
  AudioUnitParameterID parameter;
  float value;
};
std::vector<Heard> gHeard;
void Record(void*, void*, const AudioUnitParameter* p, AudioUnitParameterValue v) {
  gHeard.push_back({p->mParameterID, v});
}

TEST(UnitLayoutsTest, ParameterListenersHearTheLastValueOfARamp) {
  ResetAudioUnitListeners();
  gHeard.clear();
  TestUnit unit(kDelayName);
  long id = ParameterNamed(unit.unit, "Samples");
  ASSERT_GE(id, 0);
  AudioUnitParameter samples;
  samples.mAudioUnit = unit.unit;
  samples.mParameterID = AudioUnitParameterID(id);
  AUParameterListenerRef listener = 0;
  ASSERT_EQ(noErr, AUListenerCreate(Record, nullptr, 0.05f, &listener));
  ASSERT_EQ(noErr, AUListenerAddParameter(listener, nullptr, &samples));

  for (int i = 1; i <= 20; ++i) ASSERT_EQ(noErr, AUParameterSet(0, nullptr, &samples, float(i * 3), 0));
  EXPECT_EQ(60.0f, GetParam(unit.unit, id));  // the unit has the value at once
  DeliverAudioUnitListenerNotifications();
  ASSERT_EQ(1u, gHeard.size());
  EXPECT_EQ(60.0f, gHeard[0].value);

  // A change made on the unit and only announced is read from the unit when delivered.
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit.unit, samples.mParameterID, 0, 0, 17.0f, 0));
  ASSERT_EQ(noErr, AUParameterListenerNotify(0, nullptr, &samples));
  for (int tries = 0; tries < 1000 && gHeard.size() < 2; ++tries) {
    DeliverAudioUnitListenerNotifications();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(2u, gHeard.size());
  EXPECT_EQ(17.0f, gHeard[1].value);

  // The linear range of the parameter's information.
  AudioUnitParameterInfo info{};
  uint32_t size = sizeof(info);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit.unit, kAudioUnitProperty_ParameterInfo,
                                        kAudioUnitScope_Global, samples.mParameterID, &info, &size));
  float middle = (info.minValue + info.maxValue) / 2;
  EXPECT_FLOAT_EQ(0.5f, AUParameterValueToLinear(middle, &samples));
  EXPECT_FLOAT_EQ(middle, AUParameterValueFromLinear(0.5f, &samples));
  ResetAudioUnitListeners();
}

}  // namespace
