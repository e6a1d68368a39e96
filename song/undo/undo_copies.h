// The copy routines that undo steps keep song state with: a song's header and lists copied
// into a snapshot song, a track copied with duplicates of every handle it holds, the packed
// current position, and the disposal of snapshot songs.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/model/song_copies.h"

// Snapshot songs are made with a header and one track record.
constexpr Size kSnapshotSongSize = 668;

// The bytes of the current song's header and track records.
Size SongRecordsEnd();
// Zeroes a track record's six handle fields and its child cells (everything else is kept).
void ClearTrackRecordHandles(uint8_t* entry);
// Sets the failure byte and reports err once.
void NoteCopyFailure(SongCopyContext* context, OSErr err);
// A duplicate of h (0 for 0), unless the context already failed; a failed copy is reported
// once and sets the failure byte.
Handle CopyHandleUnlessFailed(SongCopyContext* context, Handle h);
// dest disposes its four lists and takes duplicates of source's, with source's conductor
// byte length; a missing conductor map is reset and a missing marker list made.
void CopySongListsInto(SongCopyContext* context, Handle source, Handle dest);
// copy takes bytes 2..403 of source's header, keeping its own list handles and conductor
// byte length; its current entry becomes 0 and +348 takes the packed current position.
void CopySongHeaderInto(Handle source, Handle copy);
// CopySongListsInto and CopySongHeaderInto with the song context kept.
void CopySongIntoUndo(SongCopyContext* context, Handle song, Handle copy);
// Disposes what the current track holds (children, handles, its racks' plug-ins and blocks)
// so that it can be overwritten or removed; undo steps keep their own references.
void DisposeOwnedTrackContents();
// Copies the current track of the current song into entry context->trackIndex of
// context->destination: its bytes, a duplicate of each handle (the rack with its plug-ins
// listed as shared) and copies of its child sequences. Whatever that entry held is disposed.
void CopyTrackWithHandles(SongCopyContext* context);
// Track-search callback: copies the track into the destination's track with the same number
// (added when missing). Unnumbered tracks are left out. Returns 1 once the copy failed.
int32_t CopyTrackIntoUndo(void* context, uint8_t* entry);
// A new 668-byte song with one empty track (0 when memory is short; the error is reported).
Handle NewSnapshotHandle();
// A snapshot song without tracks, for the tracks an undo step keeps.
Handle NewSpareSong();
// Frees a snapshot song with its tracks, children, racks' plug-ins and lists; clears *song.
void DisposeSnapshotSong(Handle* song);

// The current position as one word: song index low byte in bits 24..31 and high byte in bits
// 0..7, the track number (the parent's while a child is current) in bits 16..23 and the child
// index in bits 8..15.
uint32_t PackCurrentPosition();
// Field 0 the song index, 1 the track number, 2 the child index (-1 none).
int32_t UnpackCurrentPosition(uint32_t word, int32_t field);
// Selects the song, the track and the child sequence of a packed position; false when the
// song or the child no longer exists.
bool SelectPackedPosition(uint32_t word);
// Makes the entry with track number n of the current song current; false when none.
bool SelectTrackWithNumber(int32_t n);
