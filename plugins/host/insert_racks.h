// Insert racks: the record through which a mixer channel (an instrument-table entry or an
// audio track) owns its insert chain. A rack is the channel's 158-byte plug-in record
// (song/instruments/plugin_records.h), big-endian, stored in song documents:
//   +0 u8 flags: 0x02 changed, 0x08 the chain holds an instrument plug-in, 0x10 inserts
//      off, 0x20 shared (the chain cell holds a chain snapshot instead of a live chain)
//   +4 u32 chain cell: the id of the chain's first instance (0 none), or with 0x20 the
//      handle of a chain snapshot
//   +32 f32 the rate of the automation times, +142 the engine channel, +150 the automation
//      point list (song/instruments/rack_automation_fields.h)
// A block shorter than the record (at least 8 bytes) is still a rack without automation.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr uint8_t kRackFlagInstrument = 0x08;
constexpr uint8_t kRackFlagInsertsOff = 0x10;

uint8_t GetRackFlags(Handle rack);
void SetRackFlags(Handle rack, uint8_t flags);
// The first instance of the rack's live chain; 0 for a shared rack or none.
uint32_t GetRackChainHead(Handle rack);
void SetRackChainHead(Handle rack, uint32_t head);
// The current track's live chain head, 0 when its inserts are off or it has none.
uint32_t GetCurrentTrackChainHead();

// Appends the snapshot's instances to the end of toRack's chain (positions from the old
// end), marks the rack when the chain now holds an instrument, connects output 0 when the
// head's first output is not connected, and merges fromRack's automation points of the
// moved plug-ins (renumbered) into toRack's list.
OSErr RestoreChainSnapshot(Handle snapshot, Handle fromRack, Handle toRack, int32_t keep);

// The plug-in hooks of the instrument table: dispose a rack with its plug-ins, a rack of
// its own for a copy (its plug-ins listed as shared), and whether it runs a chain.
void DisposeRack(Handle rack);
Handle DuplicateRack(Handle rack);
bool RackRunsPluginChain(Handle rack);
