// The calls into a VST plug-in's own editor, each only while the editor is open, and the idle
// call an editor window and a plug-in that asked for idle time get.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/vst/vst_records.h"

struct PluginInstance;
struct OpaqueWindowPtr;

// Opens the editor into the window (its native parent); 0 or -1 when the plug-in has none.
// With resizeWindow (the window's own resize flag) or the Shift key held, the window takes the
// editor's size.
int32_t OpenVstEditor(PluginInstance* instance, OpaqueWindowPtr* window, void* nativeParent,
                      bool resizeWindow = false);
// The editor's rectangle (top and bottom in order); false when the plug-in gives none.
bool GetVstEditorRect(PluginInstance* instance, Rect* rect);
void DrawVstEditor(PluginInstance* instance, const Rect* bounds);
void VstEditorMouse(PluginInstance* instance, Point where);
int32_t VstEditorKey(PluginInstance* instance, int32_t character);
int32_t VstEditorTop(PluginInstance* instance);
void VstEditorSleep(PluginInstance* instance);
void CloseVstEditor(PluginInstance* instance);
// The idle call of an editor window (wantsEditorIdle) and of a plug-in that asked for idle.
void PluginIdle(PluginInstance* instance, bool wantsEditorIdle);
