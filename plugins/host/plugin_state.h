// A plug-in's complete state as one blob: a VST plug-in's chunk (program or bank), a
// component's class information. The blob is what songs and rack states keep beside the
// settings record.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct PluginInstance;

// The state blob's address in *data (valid until the next save or the plug-in's next call)
// and its length; 0 when the plug-in has none or the save failed.
int32_t SavePluginClassInfo(PluginInstance* instance, const void** data, bool bank);
// Gives the plug-in a blob SavePluginClassInfo answered; noErr or the plug-in's error
// (-50 for a bad length or no instance).
OSStatus RestorePluginClassInfo(PluginInstance* instance, const void* data, int32_t length,
                                bool bank);
// RestorePluginClassInfo, then the parameter count is brought up to date.
OSStatus RestorePluginState(PluginInstance* instance, const void* data, int32_t length,
                            bool bank);
