// Insert racks of tracks and instruments, and the switch that lets two racks use the same
// plug-in instances: a rack is shared while its chain cell holds a counted list of its
// plug-ins instead of a live chain (see plugins/undo_insert_chain.h for the rack's bytes).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

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

// A rack of its own for a copy: the block duplicated, its plug-ins listed as shared (each
// listed instance one more reference). Returns 0 in *copy and the error when memory is short.
OSErr DuplicateRackShared(Handle rack, Handle* copy);
// Lets go of the plug-ins a rack holds (its list or its live chain) and clears its chain
// cell; the block itself stays with its owner.
void ReleaseRackPlugins(Handle rack);
