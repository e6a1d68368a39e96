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

// Plug-in flags (PluginInfo::pluginFlags), kept in the plug-in information file.
enum : uint32_t {
  kPluginFlagSpecialId = 0x02,         // the id is 'CLAm' or '737d' (set at each load)
  kPluginFlagReplacing = 0x10,         // use the replacing process call
  kPluginFlagNoResize = 0x20,          // the editor window is not resized to the view
  kPluginFlagInstrument = 0x40,        // copied from entry flag 0x20 at each load
  kPluginFlagCompositing = 0x100,      // VST version above 2300 on the first load
  kPluginFlagVstMain = 0x4000,         // the code exports "VSTPluginMain"
  kPluginFlagStepRecord = 0x10000,     // see SetPluginRecordFlag
  kPluginFlagProgramInState = 0x80000, // a saved opaque state carries the current program
  kPluginFlagVendorPrefix = 0x200000,  // the name carries a vendor prefix
  kPluginFlagFirstLoadGSiP = 0x500000, // the first load of the plug-in with id 'GSiP'
  kPluginFlagPrepareForPrograms = 1u << 22,  // resumed while its programs are read or chosen
};

constexpr int32_t kPluginNameBytes = 58;  // length byte + up to 57 characters
constexpr int32_t kPluginNameMax = 57;
constexpr int32_t kPluginMessageBytes = 160;

struct PluginInfo {
  Handle alias;                  // alias record of a resource-file plug-in's file
  int16_t resRefNum = -1;
  uint8_t entryFlags = 0;
  uint8_t kind = 0;
  uint32_t openCount = 0;        // instances open from this entry
  uint32_t fragmentConnection = 0;
  uint32_t mainEntry = 0;        // module id of the loaded code (platform/vst), 0 when none
  uint32_t uniqueId = 0;
  Handle code;
  uint8_t name[kPluginNameBytes] = {};
  double firstSeen = 0.0;        // seconds since 2001, 0 until set
  uint32_t componentType = 0;
  uint32_t componentSubType = 0;
  uint32_t componentManufacturer = 0;
  uint32_t bundle = 0;           // id of the plug-in bundle (plugin_bundles.h), 0 for others
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
  // In memory only: why the plug-in could not be examined or loaded (0 and "" when it could).
  int16_t failure = 0;
  char message[kPluginMessageBytes] = {};
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
// An effect: not of kind 3, 6, 8 or 12, and not an instrument without inputs.
bool IsEffectPlugin(const PluginInfo& info);

// The first entry with this unique id and, unless kind is negative, this kind: true and its
// index, or false and -1.
bool FindPluginById(uint32_t id, int32_t* index, int32_t kind);
// The same for kind 11 (Audio Unit format converters).
bool FindAudioUnitById(uint32_t id, int32_t* index);
