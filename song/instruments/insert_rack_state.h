// The saved form of an insert rack (InsertRackState): the plug-ins of a channel's insert
// chain with their settings, parameter values, opaque state and references to their files,
// as one relocatable block plus up to three blocks per plug-in. All fields are big-endian;
// the block goes into song files as it stands (its layout is a file format), followed by the
// three blocks of each record that has them.
//
// Block: a 166-byte header, then one record per plug-in of 108 + 4 x parameters + state
// bytes. Building a state from a live chain and applying one to a rack belong to the plug-in
// host, reached through the plug-in hooks (song/instruments/plugin_hooks.h).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kRackStateHeaderBytes = 166;
constexpr int32_t kRackStateOldHeaderBytes = 70;   // versions below 3
constexpr int32_t kRackStateRecordBytes = 108;     // before the values and the state
constexpr uint32_t kRackStateVersion = 4;

// Header fields.
enum : int32_t {
  kRackStateCount = 0,          // u32 plug-in count
  kRackStateFader0 = 4,         // f32
  kRackStateFader2 = 8,         // f32
  kRackStateOldRouting = 36,    // 3 bytes, versions below 3
  kRackStateBusCount = 39,      // u8
  kRackStateVersionAt = 40,     // u32
  kRackStateRoutingFirst = 44,  // 32 bytes: per output bus
  kRackStateRoutingSecond = 76,
  kRackStateRoutingThird = 108,
  kRackStateOutputConfig = 140, // u32: bit i, bus i is a stereo pair
  kRackStateChannelMap = 144,   // 12 bytes
  kRackStateChannelMask = 156,  // u16
  kRackStateFader1 = 164,       // u16
};

// Plug-in record fields.
enum : int32_t {
  kRackPluginId = 0,            // u32 the plug-in's unique id
  kRackPluginParameters = 4,    // u32 p
  kRackPluginSettingsA = 8,     // u32
  kRackPluginOldAlias = 12,     // versions below 4
  kRackPluginFlags = 16,        // u32
  kRackPluginPreset = 20,       // i32 current preset index
  kRackPluginWindowA = 24,      // u32
  kRackPluginMidiFilterFlag = 28,
  kRackPluginWindowB = 30,      // u16
  kRackPluginStateLength = 32,  // u32 s
  kRackPluginOldBankAlias = 36, // versions below 4
  kRackPluginMidiKinds = 40,    // i16
  kRackPluginMidiChannels = 42, // i16
  kRackPluginMidiFilter = 44,   // 16 bytes
  kRackPluginSettingsB = 60,    // u32
  kRackPluginInputs = 64,       // u8
  kRackPluginOutputs = 65,      // u8
  kRackPluginType = 66,         // u8: the table entry's kind - 1
  kRackPluginWindowTop = 68,    // i16
  kRackPluginWindowLeft = 70,   // i16
  kRackPluginStateByte1 = 72,
  kRackPluginStateByte2 = 73,
  kRackPluginColour = 74,
  kRackPluginVersion = 76,      // u32
  kRackPluginSettingsC = 80,    // u32
  kRackPluginAlias = 84,        // handle of the plug-in file's alias, 0 none
  kRackPluginBankAlias = 92,    // handle of the sound-bank file's alias, 0 none
  kRackPluginPresetRecord = 100,// handle of a 96-byte preset record, 0 none
  kRackPluginValues = 108,      // p x f32, then s state bytes
};
// The preset record a plug-in without opaque state keeps: u32 1, then the program's name.
constexpr int32_t kRackPresetRecordBytes = 96;
constexpr int32_t kRackPresetName = 32;  // length-prefixed, at most 63 characters
constexpr int32_t kRackPresetNameMax = 63;
// Bits of the record's flags word.
constexpr uint32_t kRackPluginKeepValues = 0x40;  // the parameter values are not restored

// The offset of record n in the block (from 0), or -1 when the block does not hold it whole.
int32_t GetRackStateRecord(Handle state, int32_t n);
// The number of whole records the block holds (at most its count).
int32_t CountRackStateRecords(Handle state);

// A new handle with the serialised state of the record's insert chain, or null when there
// is nothing to save (and when no plug-in host is installed).
Handle SaveInsertRackState(Handle rackRecord);
// Writes a state (or nothing for null) to the current stream as version 4: the block with
// its size, then each record's blocks that it names (plug-in alias, sound-bank alias, preset
// record), each with its size. Returns the stream error.
OSErr WriteInsertRackState(Handle state);
// Reads a state from the current stream into *cell and brings it to version 4; a block
// whose records do not fit it, or a failure, leaves null (the error is the input's).
OSErr ReadInsertRackState(Handle* cell);
// Disposes a state handle and the blocks its records name, and clears the cell.
void DisposeInsertRackState(Handle* cell);
// A copy of a state with copies of the blocks its records name, so that the two never share
// a block. On a memory failure nothing stays allocated, *copy is 0 and the error is returned.
OSErr DuplicateInsertRackState(Handle state, Handle* copy);
// Re-creates the state's chain in the rack (through the plug-in host); 0, or the first
// error. Not installed: -4.
OSErr ApplyInsertRackState(Handle rack, Handle state);
