#include "plugins/host/plugin_programs.h"

int32_t GetCurrentProgram(PluginInstance*) { return -1; }
void SetProgram(PluginInstance*, int32_t) {}
void SetProgramQuietly(PluginInstance*, int32_t) {}
OSErr GetProgramNameIndexed(PluginInstance*, int32_t, char* name, int32_t capacity) {
  if (capacity) *name = 0;
  return -4;
}
void GetProgramName(PluginInstance*, char* name, int32_t capacity) { if (capacity) *name = 0; }
void SetProgramName(PluginInstance*, const char*) {}
int32_t GetProgramRecord(Handle, int32_t) { return -1; }
int32_t NextProgramRecord(Handle, int32_t) { return -1; }
void RefreshPluginProgram(PluginInstance*, PluginSettings*) {}
void GuessVstCategory(PluginInfo*, PluginInstance*) {}
Handle BuildInstrumentNameList(PluginInstance*, int32_t* bank) {
  if (bank) *bank = -1;
  return Handle();
}
