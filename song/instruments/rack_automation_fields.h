// The fields of an insert rack that its automation uses: the point list, the sample rate its
// times are expressed at and the engine channel that plays it. A rack is the 158-byte plug-in
// record of a track (TrackEntry +232) or an instrument-table entry (Instrument +244), see
// plugin_records.h; a shorter block (a rack made before the plug-in host is built) has none of
// these fields and answers as a rack without automation.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kRackSampleRate = 32;      // f32: the rate of the automation times
constexpr int32_t kRackEngineChannel = 142;  // u32: id of the engine channel that plays the rack, 0 none
constexpr int32_t kRackAutomationList = 150; // handle: the automation point list, 0 none
constexpr int32_t kRackRecordBytes = 158;
constexpr uint8_t kRackFlagChanged = 0x02;

// True when the rack is large enough to hold the automation fields.
bool RackHasAutomationFields(Handle rack);
Handle GetRackAutomationList(Handle rack);
// Stores the list (nothing for a rack without the fields).
void SetRackAutomationList(Handle rack, Handle list);
// Gives a rack that was copied byte for byte a duplicate of the list it names, so that no two
// racks hold the same list. On a memory failure the rack holds no list and the error is
// returned.
OSErr DuplicateRackPointList(Handle rack);
// Disposes the rack's list and clears its cell.
void DisposeRackPointList(Handle rack);
// The rate of the rack's automation times; the default rate when the rack has none.
float GetRackSampleRate(Handle rack);
void SetRackSampleRate(Handle rack, float rate);
uint32_t GetRackEngineChannelId(Handle rack);
void SetRackEngineChannelId(Handle rack, uint32_t id);

// The rack in a record's rack cell (a big-endian handle word, TrackEntry +232 or Instrument
// +244), made when missing: a cleared record stamped with `rate`, marked changed when
// markChanged. 0 and the memory error when it cannot be made.
Handle EnsureInsertRack(uint8_t* cell, float rate, bool markChanged, OSErr* err);
