// A plug-in's output buses as the audio engine asks for them: each bus names the output it
// plays to (device kind, port, channel mask) and, when it feeds another track, that track's
// engine channel.
#pragma once

#include <cstdint>

struct EngineChannel;

constexpr int32_t kMaxPluginOutputBuses = 32;

struct PluginBusInfo {
  uint8_t deviceKind = 0;
  uint8_t port = 0;
  uint16_t channelMask = 0;
  EngineChannel* drivenChannel = nullptr;  // the channel of the track this bus feeds, or null
};

// Interim until plug-ins load: the host registers the buses a plug-in declares here (at most
// kMaxPluginOutputBuses per plug-in, for at most 64 plug-ins; -108 when the table is full).
// A count of 0 forgets the plug-in.
int16_t SetPluginOutputBuses(void* plugin, const PluginBusInfo* buses, int32_t count);
// The number of output buses of a plug-in (0 for none or an unknown plug-in).
int32_t CountPluginOutputBuses(void* plugin);
// 0 and the bus's information, or -1 when the plug-in has no such bus.
int16_t GetPluginOutputBusInfo(void* plugin, int32_t bus, PluginBusInfo* info);
