// The output buses that plug-ins declare: each bus names the output it plays to (device kind,
// port, channel mask) and, when it feeds another track, that track's engine channel. The audio
// engine asks for them through its plug-in hooks (CountPluginOutputBuses,
// GetPluginOutputBusInfo).
#pragma once

#include <cstdint>

#include "audio/engine/engine_plugin_hooks.h"

// Interim until plug-ins load: the host registers the buses a plug-in declares here (at most
// kMaxPluginOutputBuses per plug-in, for at most 64 plug-ins; -108 when the table is full).
// A count of 0 forgets the plug-in.
int16_t SetPluginOutputBuses(void* plugin, const PluginBusInfo* buses, int32_t count);
// The number of output buses declared for a plug-in (0 for none or an unknown plug-in).
int32_t CountDeclaredOutputBuses(void* plugin);
// 0 and the bus's information, or -1 when the plug-in has no such bus.
int16_t GetDeclaredOutputBus(void* plugin, int32_t bus, PluginBusInfo* info);
