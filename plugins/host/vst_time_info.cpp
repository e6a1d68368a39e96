#include "plugins/host/vst_time_info.h"

double gCycleBounds[2] = {};

namespace {
thread_local VstTimeInfo tTimeInfo{};
}  // namespace

VstTimeInfo* FillVstTimeInfo(VstInt32, AEffect*) { return &tTimeInfo; }
VstTimeInfo* FillInstanceTimeInfo(VstInt32, PluginInstance*) { return &tTimeInfo; }
int32_t GetVstTempoAt(int32_t) { return 1200000; }
