// What the host does when an Audio Unit reports a change: the property listener for its
// factory and present presets, the event listener for the begin and end of a parameter
// gesture, and the parameter listener. OpenAudioUnitInstance installs them with the instance
// record as their reference; they run on the main thread, from the listener registry's
// delivery in the idle pass.
#pragma once

#include <cstdint>

#include "platform/audiounit/audio_unit.h"
#include "platform/audiounit/audio_unit_listeners.h"

class PluginSettings;
struct PluginInstance;

// What the listeners ask of the mixer; installed by the mixer. An entry not installed does
// nothing.
struct AudioUnitListenerHooks {
  // Forgets the range of strips that parameter changes touched (a gesture begins).
  void (*resetMixerRedrawRange)();
  // Stores settings as the stored settings of the rack slot that holds instance.
  void (*applyPluginState)(const PluginSettings* settings, PluginInstance* instance, int32_t flag);
  // Compares the unit's program names with its factory list and builds the list again when
  // they changed (a factory-preset change).
  bool (*refreshProgramNames)(PluginInstance* instance);
};
extern AudioUnitListenerHooks gAudioUnitListenerHooks;

// AudioUnitPropertyListenerProc for kAudioUnitProperty_FactoryPresets (24) and
// kAudioUnitProperty_PresentPreset (36); refCon is the PluginInstance.
void HandleAudioUnitPropertyChange(void* refCon, AudioUnit unit, AudioUnitPropertyID property,
                                   AudioUnitScope scope, AudioUnitElement element);
// AUEventListenerProc: gesture begin (1) and end (2); refCon is the PluginInstance.
void HandleAudioUnitEvent(void* refCon, void* object, const AudioUnitEvent* event,
                          uint64_t hostTime, AudioUnitParameterValue value);
// AUParameterListenerProc: a change made in the unit's own editor; recorded nowhere
// (automation is recorded through the parameter calls only).
void HandleAudioUnitParameterChange(void* refCon, void* object,
                                    const AudioUnitParameter* parameter,
                                    AudioUnitParameterValue value);
