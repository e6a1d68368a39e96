// A plug-in's preset lists: the factory list (PluginInstance::programList), one slot per
// program the plug-in reports, and the user list (PluginInstance::secondHandle), the preset
// files found in the preset folders or saved by the user. Both live in memory only.
//
// A list is a relocatable block: a 32-byte header (u32 slot count, then the plug-in entry's
// option byte whose bit 1 says the list holds program names only), then slots of 64 + 4n
// bytes, n being the slot's own parameter count (GetProgramRecord and NextProgramRecord
// walk them). A slot, big-endian: 0 plug-in id, 4 n, 8 the length-prefixed name (at most 31
// characters), 40 the handle of the preset's opaque chunk (or of a file alias), 44 a word
// cleared on every copy, 48 the preset flags, 64 the n parameter values (f32).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

enum : int32_t {
  kPresetSlotIdAt = 0,
  kPresetSlotCountAt = 4,
  kPresetSlotNameAt = 8,
  kPresetSlotChunkAt = 40,
  kPresetSlotClearedAt = 44,
  kPresetSlotFlagsAt = 48,
  kPresetSlotValuesAt = 64,
  kPresetListOptionAt = 4,
};
constexpr int32_t kPresetNameMax = 31;

// Preset flags.
enum : uint32_t {
  kPresetChunk = 0x01,       // the chunk handle holds the preset's opaque state
  kPresetBankChunk = 0x02,   // ... of a whole bank
  kPresetFileAlias = 0x0B,   // the chunk handle holds the path of a bank file
};

// What one preset holds; `values` has `count` entries (or is null: zeros).
struct PluginPresetData {
  uint32_t pluginId = 0;
  uint32_t count = 0;
  const uint8_t* name = nullptr;   // length-prefixed; cut at 31 characters
  Handle chunk;                    // taken by the list (disposed with it)
  uint32_t flags = 0;
  const float* values = nullptr;
};

// A list with room for `slots` slots of `count` parameters and a slot count of 0
// (NewSinglePresetList: a count of 1). Null when memory is short.
Handle NewPluginPresetList(int32_t slots, uint32_t count);
Handle NewSinglePresetList(uint32_t count);
int32_t CountPresets(Handle list);
// Appends a slot (the list grows by one slot): noErr or memFullErr (the list unchanged; the
// chunk is then the caller's).
OSErr AppendPreset(Handle list, const PluginPresetData& preset);
// Replaces slot k's contents with the preset (the slot resized to its count); dropChunk
// disposes the old chunk first, clearValues writes zeros for the values.
OSErr ReplacePresetSlot(Handle list, int32_t k, const PluginPresetData& preset, bool dropChunk,
                        bool clearValues);
// Makes slot k an alias of a file (flags kPresetFileAlias; the path in the chunk handle).
OSErr SetPresetFileAlias(Handle list, int32_t k, const char* path);
// The path a file alias slot holds ("" otherwise).
void GetPresetFileAlias(Handle list, int32_t k, char* path, int32_t capacity);
// Keeps the first `slots` slots (disposing the chunks of the others).
void TruncatePresetList(Handle list, int32_t slots);
// Disposes each slot's chunk, then the list, and clears *list.
void DisposePluginPresetList(Handle* list);

// Slot accessors (k from 0; a slot outside the list reads 0 / empty and ignores writes).
uint32_t GetPresetId(Handle list, int32_t k);
uint32_t GetPresetCount(Handle list, int32_t k);
void GetPresetName(Handle list, int32_t k, Str31 name);
void SetPresetName(Handle list, int32_t k, const uint8_t* name);
Handle GetPresetChunk(Handle list, int32_t k);
uint32_t GetPresetFlags(Handle list, int32_t k);
float GetPresetValue(Handle list, int32_t k, int32_t parameter);
void SetPresetValue(Handle list, int32_t k, int32_t parameter, float value);
