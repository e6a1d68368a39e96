#include "plugins/host/plugin_parameters.h"

float GetPluginParameterChecked(PluginInstance*, int32_t) { return 0.0f; }
void SetPluginParameterChecked(PluginInstance*, int32_t, float, int32_t) {}
int32_t SetEngineParameter(void*, int32_t, float) { return -50; }
float MapLinearToParameter(PluginInstance*, int32_t, float value) { return value; }
float MapParameterToLinear(PluginInstance*, int32_t, float value) { return value; }
OSErr GetParameterInfo(PluginInstance*, int32_t, ParameterDescription* out) {
  *out = ParameterDescription();
  return 0;
}
void GetParameterName(PluginInstance*, int32_t, char* name, int32_t capacity) { if (capacity) *name = 0; }
void GetParameterLabel(PluginInstance*, int32_t, char* label, int32_t capacity) { if (capacity) *label = 0; }
OSErr GetParameterValueText(PluginInstance*, int32_t, char*, int32_t, const float*) { return -50; }
OSErr ParseParameterValue(PluginInstance*, int32_t, const char*, float*) { return -4; }
float GetParameterStepScale(int32_t, PluginInstance*) { return 1.0f / 127.0f; }
OSStatus ScheduleParameterRamps(Ptr, PluginInstance*) { return -50; }
void FlushParameterNotify(PluginInstance*) {}
bool PollMeterParameters(PluginInstance*) { return false; }
void RecordParameterAutomation(float, PluginInstance*, int32_t, int32_t, int32_t, bool, bool) {}
