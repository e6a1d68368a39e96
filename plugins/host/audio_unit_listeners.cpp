#include "plugins/host/audio_unit_listeners.h"

#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/host/vst_host_callback.h"

AudioUnitListenerHooks gAudioUnitListenerHooks{};

namespace {

// A factory-preset change: the rack keeps the instance's new settings, unless the instance
// never marks its display (then only its program display is refreshed).
void KeepFactoryPresetChange(PluginInstance* instance) {
  if (instance->stateFlags & kPluginStateNoRefresh) {
    MarkPluginDisplayDirtyAlways(instance, 2);
    return;
  }
  PluginSettings settings;
  SavePluginSettings(instance, &settings);
  if (gAudioUnitListenerHooks.applyPluginState)
    gAudioUnitListenerHooks.applyPluginState(&settings, instance, 0);
}

}  // namespace

void HandleAudioUnitPropertyChange(void* refCon, AudioUnit, AudioUnitPropertyID property,
                                   AudioUnitScope, AudioUnitElement) {
  auto* instance = static_cast<PluginInstance*>(refCon);
  if (instance == nullptr) return;
  if (property == kAudioUnitProperty_FactoryPresets) {
    RefreshFactoryPresets(instance);  // the cache and the program count follow the unit
    if (gAudioUnitListenerHooks.refreshProgramNames) gAudioUnitListenerHooks.refreshProgramNames(instance);
    KeepFactoryPresetChange(instance);
  }
  if (property == kAudioUnitProperty_FactoryPresets || property == kAudioUnitProperty_PresentPreset)
    MarkPluginDisplayDirty(instance, 0);
}

void HandleAudioUnitEvent(void*, void*, const AudioUnitEvent* event, uint64_t,
                          AudioUnitParameterValue) {
  if (event == nullptr) return;
  if (event->mEventType == kAudioUnitEvent_BeginParameterChangeGesture) {
    if (gAudioUnitListenerHooks.resetMixerRedrawRange) gAudioUnitListenerHooks.resetMixerRedrawRange();
  } else if (event->mEventType == kAudioUnitEvent_EndParameterChangeGesture) {
    RedrawPluginMixerRange();
  }
}

void HandleAudioUnitParameterChange(void*, void*, const AudioUnitParameter*,
                                    AudioUnitParameterValue) {}
