// Plug-in records in song documents: the 158-byte audio record of a track (TrackEntry +232
// and +256) and the same form for an Instrument's plug-in record (+244), read back with the
// handles they name, upgraded from the older 68- and 70-byte forms, and disposed.
//
// Record fields this code touches (big-endian):
//   +0 u8 rack flags (0x20: the chain cell holds a chain list)   +4 u32 chain cell
//   +32 f32 sample rate   +37 u8 flags (0x10 a saved rack state waits at +134; 0x40)
//   handle slots {u32 handle, u32 alternate} at +110, +118, +126 (regions), +134 (rack
//   state), +142 (the playing engine channel's id, never a block) and +150 (the automation
//   point list, rack_automation_fields.h)
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kPluginRecordBytes = 158;
constexpr int32_t kPluginRecordOldSize = 68;
constexpr int32_t kPluginRecordOldSize2 = 70;
constexpr int32_t kPluginRecordRate = 32;
constexpr int32_t kPluginRecordFlags = 37;
// A track's audio record: sample encoding, channels, bits per sample and the rate as 16.16.
constexpr int32_t kPluginRecordEncoding = 74;
constexpr int32_t kPluginRecordChannels = 78;
constexpr int32_t kPluginRecordBits = 80;
constexpr int32_t kPluginRecordFixedRate = 82;
constexpr int32_t kPluginRecordRegions = 126;
constexpr int32_t kPluginRecordRackState = 134;
constexpr int32_t kPluginRecordTail = 150;
constexpr int32_t kPluginRecordSlotsStart = 110;
constexpr uint8_t kPluginFlagRackPending = 0x10;
constexpr uint8_t kPluginFlag40 = 0x40;
constexpr float kDefaultPluginRate = 44100.0f;
// Plug-in record kind of an Instrument's record (tracks use their output kind 0..3).
constexpr int32_t kInstrumentRecordKind = 1;

// The file error of a plug-in record that has none of the known sizes.
constexpr OSErr kBadPluginRecordErr = -208;

// True for a size the reader takes (68, 70 or 158 bytes).
bool IsReadablePluginRecordSize(Size size);
// Widens a 68- or 70-byte record to 158 bytes, moving its fields; other sizes are left.
OSErr WidenOldPluginRecord(Handle record, int32_t kind);

// Reads a plug-in record into the u32 handle word at slot (which must not move while this
// runs) when present says one follows: the record, its slots +110 and +126, the rack state
// into +134 and the block +150. Upgrades it (UpgradeInstrumentPluginRecord). On failure the
// slot is empty, nothing stays allocated and the document input's error is latched.
// trackMainRecord: the record is a track's main record (+232), which older files stored shorter.
OSErr ReadPluginRecord(uint8_t* slot, bool present, int32_t kind, bool trackMainRecord = false);
// The checks and fixes of a record just read (already 158 bytes) from a file of the version,
// before its slots are read.
void UpgradeInstrumentPluginRecord(Handle record, int32_t kind, uint16_t version);

// Disposes the blocks a record names (+110, +118, +126, +150, and +134 while it holds
// a saved state not yet applied) and clears their words; the record itself stays.
void DisposePluginRecordHandles(Handle record);
// DisposePluginRecordHandles, then the record.
void DisposePluginRecord(Handle record);
