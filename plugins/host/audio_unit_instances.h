// The component side of a plug-in instance: opening and closing the component, its sample
// rate, block size, latency, resume and suspend, as the instance code (plugin_instances.h)
// runs them for a record whose plug-in is a component. Main thread.
#pragma once

#include <cstdint>

#include "platform/audiounit/audio_unit.h"
#include "plugins/host/plugin_instance.h"

struct PluginInfo;

// Finds and opens the component of info and fills the record's component fields (buses,
// channels, parameters, views, listeners, presets), initialising the unit. derived: the
// output layout came from several buses. kAudioUnitNotFoundErr, or the unit's error (the
// component is closed again).
OSErr OpenComponentRecord(PluginInstance* record, PluginInfo* info, uint32_t maxFrames,
                          double sampleRate, bool* derived);
// Releases the presets, listeners and parameter ids, uninitialises and closes the unit.
void CloseComponentRecord(PluginInstance* record);
// Sets the rate on every input and then every output element, uninitialising the unit
// around it when it may be; the first failure is reported and answered.
OSStatus SetComponentSampleRate(PluginInstance* record, double rate);
// The unit's latency in samples at the record's rate.
uint32_t ReadComponentLatency(const PluginInstance* record);
OSStatus SetComponentMaxFrames(PluginInstance* record, uint32_t frames);
void ResumeComponent(PluginInstance* record, int32_t installInput);
void SuspendComponent(PluginInstance* record);
// Sets a property that needs the unit uninitialised, with the idle flag held.
OSStatus SetAudioUnitPropertySafely(PluginInstance* record, AudioUnitPropertyID id,
                                    AudioUnitScope scope, AudioUnitElement element,
                                    const void* data, uint32_t size);
