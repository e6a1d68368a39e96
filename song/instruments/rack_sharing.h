// Insert racks of tracks and instruments, and the switch that lets two racks use the same
// plug-in instances: a rack is shared while its chain cell holds a counted list of its
// plug-ins instead of a live chain. The chains and lists belong to the plug-in host, which the
// racks reach through the plug-in hooks (song/instruments/plugin_hooks.h).
//
// An insert rack (a handle held by an Instrument at +244 or a TrackEntry at +232) is, until
// the plug-in host is built, a block whose first eight bytes are:
//   +0 u8  flags: 0x02 changed, 0x08 counts as a plug-in device, 0x20 shared
//   +4 u32 chain cell: with 0x20 clear the id of the first instance of the live chain (0
//          none); with 0x20 set the handle of a chain list
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kRackFlags = 0;
constexpr int32_t kRackChainCell = 4;
constexpr int32_t kRackMinSize = 8;
constexpr uint8_t kRackFlagShared = 0x20;

// A track's insert rack lives in its audio record, the handle at TrackEntry +232 (the first
// audio-region list of the song layout).
constexpr int32_t kTrackInsertRack = 232;

// The current track's insert rack, or 0 when the track plays the song's movie or has none.
Handle GetTrackInsertRack();
// True when rack names a block large enough to be a rack.
bool IsInsertRack(Handle rack);
bool IsInsertRackShared(Handle rack);
// Makes the rack shared (1) or live (0). A rack already in the asked state, a null rack and a
// rack without plug-ins are left as they are; a rack whose chain cannot be listed (memory)
// stays live.
void SetInsertRackShared(Handle rack, int32_t shared, int32_t quiet);
// Per-track callback: arg points to an int32_t shared value.
int32_t SetTrackRackShared(void* arg);
// Every track of the current song.
void ForEachTrackSetRackShared(int32_t shared);
// The same over the current song and, recursively, its child sequences (links excepted).
void SetSongTreeRacksShared(Handle song, int32_t shared);
// The current track and, recursively, its child sequences (links excepted).
void SetTrackTreeRacksShared(int32_t shared);
// Per-instrument callback (ForEachInstrumentAndSpecial): arg points to a uint8_t shared value.
int32_t SetInstrumentRackShared(void* arg, uint8_t* instrument);

// A rack of its own for a copy: the block duplicated with its own copy of the automation
// point list and of a saved state waiting in it, its plug-ins listed as shared (each listed
// instance one more reference). Returns 0 in *copy and the error when memory is short.
OSErr DuplicateRackShared(Handle rack, Handle* copy);
// The clipboard's copy of a channel: the block duplicated as above but with no plug-ins; the
// saved state of the rack's live chain waits in it (the record's pending state) until a paste
// opens fresh plug-ins from it. A rack without plug-ins keeps no state; a rack that lists
// shared plug-ins is copied as DuplicateRackShared does.
OSErr DuplicateRackWithSavedState(Handle rack, Handle* copy);
// Gives the rack in cell (a big-endian handle word; a rack at `rate` is made when the cell
// is empty) a copy of the saved state waiting in `from`, when `from` has one and that rack
// has neither plug-ins nor a waiting state of its own. The host opens it with the other
// waiting states (InstantiatePendingInsertRacks). 0, or the memory error.
OSErr GiveRackSavedState(Handle from, uint8_t* cell, float rate);
// Lets go of what a rack holds before the block is freed: its automation point list and its
// plug-ins (its list or its live chain); clears both cells. The block itself stays with its
// owner.
void ReleaseRackPlugins(Handle rack);
