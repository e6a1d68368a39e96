// The rows the mixer window shows: the plug-ins of the selected rack's live chain with each
// row's layout, collected once per draw or click.
#pragma once

#include <cstdint>

#include "mixer/window/mixer_layout.h"
#include "platform/memory/mac_types.h"
#include "plugins/host/plugin_settings.h"

struct PluginInstance;

constexpr int32_t kMaxMixerRows = 64;

struct MixerRows {
  Handle rack = Handle();      // the selection's rack, 0 for none
  bool locked = false;         // inserts off: only the header is drawn
  uint32_t head = 0;           // the live chain's first instance
  int32_t count = 0;
  PluginInstance* plugins[kMaxMixerRows] = {};
  MixerRowShape shapes[kMaxMixerRows];
  int16_t heights[kMaxMixerRows] = {};
};

// The row's layout for a plug-in.
MixerRowShape MixerRowShapeOf(PluginInstance* plugin);
// The rows of the current mixer selection.
void CollectMixerRows(MixerRows* rows);
int16_t MixerRowTopOf(const MixerRows& rows, int32_t row);
int16_t MixerRowsBottom(const MixerRows& rows);

// The mixer's bits of a plug-in's settings flags word (plugins/host/plugin_settings.h).
constexpr uint32_t kMixerFlagLink = kPluginFlagFaderLink;
constexpr uint32_t kMixerFlagDisplay = kPluginFlagDisplayOption;
constexpr uint32_t kMixerFlagSelected = kPluginFlagSelected;
uint32_t GetPluginMixerFlags(const PluginInstance* plugin);
void SetPluginMixerFlags(PluginInstance* plugin, uint32_t flags);
// The three rack faders, kept by the chain's first plug-in (0 without one): fader 0 the input
// scale, fader 1 the 16-bit middle value, fader 2 the output scale.
void ReadRackFaders(const PluginInstance* first, double values[3]);
void StoreRackFaders(PluginInstance* first, const double values[3]);
// The first visible parameter of a row.
int32_t GetFirstVisibleParameter(const PluginInstance* plugin);
void SetFirstVisibleParameter(PluginInstance* plugin, int32_t first);
