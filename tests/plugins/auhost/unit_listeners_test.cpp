// What the host does when a unit reports a preset change or a parameter gesture.
#include <gtest/gtest.h>

#include <string>

#include "plugins/host/audio_unit_listeners.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_programs.h"
#include "plugins/host/plugin_settings.h"
#include "platform/memory/memory.h"
#include "tests/platform/audiounit/audio_unit_test_support.h"

namespace {

PluginInstance* gAppliedTo = nullptr;
int gApplied = 0, gResets = 0, gRedraws = 0, gNameChecks = 0;

void ApplyState(const PluginSettings*, PluginInstance* instance, int32_t) {
  ++gApplied;
  gAppliedTo = instance;
}
void ResetRange() { ++gResets; }
bool CheckNames(PluginInstance*) { return ++gNameChecks > 0; }
void RedrawRange() { ++gRedraws; }

class UnitListenersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = gAudioUnitListenerHooks;
    savedHost_ = gPluginHostHooks;
    gAudioUnitListenerHooks.applyPluginState = ApplyState;
    gAudioUnitListenerHooks.resetMixerRedrawRange = ResetRange;
    gAudioUnitListenerHooks.refreshProgramNames = CheckNames;
    gPluginHostHooks.redrawMixerRange = RedrawRange;
    gAppliedTo = nullptr;
    gApplied = gResets = gRedraws = gNameChecks = 0;
  }
  void TearDown() override {
    gAudioUnitListenerHooks = saved_;
    gPluginHostHooks = savedHost_;
  }
  static int Refresh(const PluginInstance& p) { return p.stateFlags & kPluginStateRefreshMask; }

  AudioUnitListenerHooks saved_;
  PluginHostHooks savedHost_;
  PluginInstance instance_;
};

TEST_F(UnitListenersTest, PresetChanges) {
  HandleAudioUnitPropertyChange(&instance_, 1, kAudioUnitProperty_PresentPreset, 0, 0);
  EXPECT_EQ(1, Refresh(instance_));
  EXPECT_EQ(0, gApplied);
  EXPECT_EQ(0, gNameChecks);

  instance_.stateFlags = 0;
  HandleAudioUnitPropertyChange(&instance_, 1, kAudioUnitProperty_FactoryPresets, 0, 0);
  EXPECT_EQ(1, gApplied);  // the rack keeps the instance's new settings
  EXPECT_EQ(&instance_, gAppliedTo);
  EXPECT_EQ(1, gNameChecks) << "new factory presets check the program list's names";
  EXPECT_EQ(1, Refresh(instance_));

  // An instance that never marks its display: only the program display, and no settings.
  instance_.stateFlags = kPluginStateNoRefresh;
  HandleAudioUnitPropertyChange(&instance_, 1, kAudioUnitProperty_FactoryPresets, 0, 0);
  EXPECT_EQ(1, gApplied);
  EXPECT_EQ(2, Refresh(instance_));

  instance_.stateFlags = 0;
  HandleAudioUnitPropertyChange(&instance_, 1, kAudioUnitProperty_StreamFormat, 0, 0);
  HandleAudioUnitPropertyChange(nullptr, 1, kAudioUnitProperty_PresentPreset, 0, 0);
  EXPECT_EQ(0, Refresh(instance_));
}

// Programs are read from the instance's preset cache, and a unit announcing new presets
// refreshes that cache and the program count.
TEST_F(UnitListenersTest, AnnouncedPresetsRefreshTheCacheProgramsAreReadFrom) {
  TestUnit unit(kPulseName);
  PluginInstance record;
  record.unit = unit.unit;
  record.stateFlags = kPluginStateNoRefresh;
  char name[256] = {};
  EXPECT_EQ(-4, GetProgramNameIndexed(&record, 0, name, sizeof name)) << "nothing cached yet";
  HandleAudioUnitPropertyChange(&record, unit.unit, kAudioUnitProperty_FactoryPresets, 0, 0);
  EXPECT_EQ(2u, record.programCount);
  std::string names;
  for (int32_t n = 0; n < 2; ++n) {
    ASSERT_EQ(0, GetProgramNameIndexed(&record, n, name, sizeof name));
    names += std::string(name) + ";";
  }
  EXPECT_TRUE(names == "Soft;Loud;" || names == "Loud;Soft;") << names;
  EXPECT_EQ(-4, GetProgramNameIndexed(&record, 2, name, sizeof name));
  if (record.factoryPresets) DisposeHandle(record.factoryPresets);
}

TEST_F(UnitListenersTest, GesturesResetAndRedrawTheMixerRange) {
  AudioUnitEvent event;
  event.mEventType = kAudioUnitEvent_BeginParameterChangeGesture;
  HandleAudioUnitEvent(&instance_, nullptr, &event, 0, 0.5f);
  EXPECT_EQ(1, gResets);
  EXPECT_EQ(0, gRedraws);
  event.mEventType = kAudioUnitEvent_EndParameterChangeGesture;
  HandleAudioUnitEvent(&instance_, nullptr, &event, 0, 0.5f);
  EXPECT_EQ(1, gRedraws);
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  HandleAudioUnitEvent(&instance_, nullptr, &event, 0, 0.5f);
  EXPECT_EQ(1, gResets);
  EXPECT_EQ(1, gRedraws);
}

}  // namespace
