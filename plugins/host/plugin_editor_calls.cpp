#include "plugins/host/plugin_editor_calls.h"

int32_t OpenVstEditor(PluginInstance*, OpaqueWindowPtr*, void*) { return -1; }
bool GetVstEditorRect(PluginInstance*, Rect*) { return false; }
void DrawVstEditor(PluginInstance*, const Rect*) {}
void VstEditorMouse(PluginInstance*, Point) {}
int32_t VstEditorKey(PluginInstance*, int32_t) { return 0; }
int32_t VstEditorTop(PluginInstance*) { return 0; }
void VstEditorSleep(PluginInstance*) {}
void CloseVstEditor(PluginInstance*) {}
void PluginIdle(PluginInstance*, bool) {}
