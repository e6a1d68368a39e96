// The table of the plug-ins the program can host (gPluginTable): one PluginInfo per plug-in,
// known everywhere by its index. The table only grows while the program runs; entries are
// never removed. It is a relocatable block of packed entries: a pointer from PluginInfoAt
// stays good only until the next entry is added.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Kinds (PluginInfo::kind).
enum : uint8_t {
  kPluginKindVstResource = 0,
  kPluginKindCodeOnly = 1,
  kPluginKindEffectFile = 2,
  kPluginKindOldCode = 3,
  kPluginKindAuV1Effect = 5,
  kPluginKindAuV1Music = 6,
  kPluginKindAuEffect = 7,
  kPluginKindAuMusic = 8,
  kPluginKindAuMusicEffect = 9,
  kPluginKindVstBundle = 10,
  kPluginKindAuConverter = 11,
  kPluginKindAuGenerator = 12,
  kPluginKindVstOld1 = 14,
  kPluginKindVstOld2 = 15,
};

// Entry flags (PluginInfo::entryFlags), the "information byte" of the instance layer.
enum : uint8_t {
  kPluginEntrySelected = 0x01,
  kPluginEntryHasEditor = 0x02,
  kPluginEntryUsable = 0x04,
  kPluginEntryInstrument = 0x20,
  kPluginEntryIdName = 0x40,
};

constexpr int32_t kPluginNameBytes = 58;  // length byte + up to 57 characters

struct PluginInfo {
  Handle alias;                  // alias record of a resource-file plug-in's file
  int16_t resRefNum = -1;
  uint8_t entryFlags = 0;
  uint8_t kind = 0;
  uint32_t openCount = 0;        // instances open from this entry
  uint32_t fragmentConnection = 0;
  uint32_t mainEntry = 0;        // id of the loaded entry point (platform/vst), 0 when none
  uint32_t uniqueId = 0;
  Handle code;
  uint8_t name[kPluginNameBytes] = {};
  double firstSeen = 0.0;        // seconds since 2001, 0 until set
  uint32_t componentType = 0;
  uint32_t componentSubType = 0;
  uint32_t componentManufacturer = 0;
  uint32_t bundle = 0;           // id of the plug-in's code module (platform/vst), 0 for others
  uint32_t pluginFlags = 0;
  uint32_t category = 0;
  uint8_t deviceByte = 0;
  uint8_t colourByte = 0;
  uint16_t inputCount = 0;
  uint16_t outputCount = 0;
  uint32_t version = 0;          // major * 256 + minor * 16 + revision
  uint32_t loadCount = 0;
  uint8_t prefixLength = 0;
  char path[1024] = {};          // the plug-in's file (a bundle's or shared object's path)
};

// The number of entries.
int32_t CountPlugins();
// The entry at an index, or null outside the table. Good until the table grows.
PluginInfo* PluginInfoAt(int32_t index);
// Appends a copy of info; its index, or -1 when memory is short.
int32_t AppendPluginInfo(const PluginInfo& info);
// Empties the table (start-up and tests).
void ResetPluginTable();

// Kind predicates.
bool IsAudioUnitKind(uint8_t kind);
bool IsVstKind(uint8_t kind);
