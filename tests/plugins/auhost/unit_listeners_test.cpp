// What the host does when a unit reports a preset change or a parameter gesture.
#include <gtest/gtest.h>

#include "plugins/host/audio_unit_listeners.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_settings.h"

namespace {

PluginInstance* gAppliedTo = nullptr;
int gApplied = 0, gResets = 0, gRedraws = 0;

void ApplyState(const PluginSettings*, PluginInstance* instance, int32_t) {
  ++gApplied;
  gAppliedTo = instance;
}
void ResetRange() { ++gResets; }
void RedrawRange() { ++gRedraws; }

class UnitListenersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = gAudioUnitListenerHooks;
    savedHost_ = gPluginHostHooks;
    gAudioUnitListenerHooks.applyPluginState = ApplyState;
    gAudioUnitListenerHooks.resetMixerRedrawRange = ResetRange;
    gPluginHostHooks.redrawMixerRange = RedrawRange;
    gAppliedTo = nullptr;
    gApplied = gResets = gRedraws = 0;
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

  instance_.stateFlags = 0;
  HandleAudioUnitPropertyChange(&instance_, 1, kAudioUnitProperty_FactoryPresets, 0, 0);
  EXPECT_EQ(1, gApplied);  // the rack keeps the instance's new settings
  EXPECT_EQ(&instance_, gAppliedTo);
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
