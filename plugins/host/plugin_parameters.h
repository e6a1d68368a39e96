// Plug-in parameters as the rest of the program sees them, whatever the plug-in's kind:
// normalised values 0.0..1.0 with a name, a label, a display text and a description. VST
// parameters are normalised already; component parameters are mapped from and to their own
// units. Also the parameter ramps of automation playback, the pending change notification and
// meter polling, and the recording of parameter automation.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct PluginInstance;

// A parameter's description, a 20-byte record: unit, minimum, maximum, default, flags.
struct ParameterDescription {
  uint32_t unit = 0;
  float minimum = 0.0f;
  float maximum = 1.0f;
  float defaultValue = 0.5f;
  uint32_t flags = 0;
};
static_assert(sizeof(ParameterDescription) == 20);

// Parameter units of the cached tables.
enum : uint32_t {
  kParameterUnitGeneric = 0,
  kParameterUnitIndexed = 1,
  kParameterUnitBoolean = 2,
};

// Modes of SetPluginParameterChecked.
enum : int32_t {
  kSetParameterNormal = 0,
  kSetParameterRedrawStrip = 2,  // also asks the mixer to redraw the strip
  kSetParameterUnits = 3,        // the value is in the parameter's own units (components)
};

// The parameter's normalised value; 0.0 for an index not below the count.
float GetPluginParameterChecked(PluginInstance* instance, int32_t index);
// Sets a parameter; nothing for an index not below the count.
void SetPluginParameterChecked(PluginInstance* instance, int32_t index, float value,
                               int32_t mode);
// The engine's hook entry setParameter: a normalised value clamped to 0..1; 0, or -50 for
// no instance or an index outside the count. Never allocates.
int32_t SetEngineParameter(void* plugin, int32_t index, float value);

float MapLinearToParameter(PluginInstance* instance, int32_t index, float value);
float MapParameterToLinear(PluginInstance* instance, int32_t index, float value);
OSErr GetParameterInfo(PluginInstance* instance, int32_t index, ParameterDescription* out);

// Texts are zero-terminated; `capacity` counts the terminating zero.
void GetParameterName(PluginInstance* instance, int32_t index, char* name, int32_t capacity);
void GetParameterLabel(PluginInstance* instance, int32_t index, char* label, int32_t capacity);
// The display text of the current value (value null) or of a given normalised value;
// 0, -43 (the plug-in cannot say), -50 (bad index or not expressible).
OSErr GetParameterValueText(PluginInstance* instance, int32_t index, char* text,
                            int32_t capacity, const float* value);
// The normalised value a display text stands for; -4 for VST plug-ins.
OSErr ParseParameterValue(PluginInstance* instance, int32_t index, const char* text,
                          float* value);
float GetParameterStepScale(int32_t index, PluginInstance* instance);

// Set while the host itself notifies a component's parameter listeners, so that the host's
// own listener does not take the notification for a change made in the plug-in's editor.
extern uint8_t gNotifyingParameters;

// Parameter ramps of automation playback (engine thread): a u32 count followed by 32-byte
// events whose parameter field holds an index; the count is reset to 0. 0 or -50.
OSStatus ScheduleParameterRamps(Ptr eventList, PluginInstance* instance);
// Sends the pending change notification, if any, and clears it.
void FlushParameterNotify(PluginInstance* instance);
// True when the instance's meters must be redrawn.
bool PollMeterParameters(PluginInstance* instance);

// Records a parameter's value as an automation point of the instance's rack. A time of
// kAutomationTimeNow stands for the current position.
constexpr int32_t kAutomationTimeNow = 0x7FFFFFFF;
void RecordParameterAutomation(float value, PluginInstance* instance, int32_t chainPosition,
                               int32_t index, int32_t time, bool noPoint, bool firstPoint);
