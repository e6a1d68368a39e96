// Copies of whole songs: a song dropped on a track becomes one of its child sequences (a full
// copy or a link shell), undo steps and the clipboard keep copies of child sequences, and the
// name of a copy gets a prefix.
//
// Every copy owns every handle it holds: event lists, section lists, region lists, drum data,
// further blocks, racks (with their plug-ins listed as shared) and the conductor map, marker
// list, window table and further block of the song are duplicated, never shared. A link shell
// holds the source's header with its four list handles cleared and empty track records; the
// linked song is always found through its id (FindLinkedSong).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The size of the block a child sequence is made with: a header and one track record.
constexpr Size kChildSongBlockSize = 668;
// Error text of a song that holds child sequences.
constexpr int16_t kChildSongErrorText = 10;
// Index of the name prefix of a copy in the general text list.
constexpr int16_t kSongCopyPrefixText = 29;

// What the copy routines and their callbacks share (never stored).
struct SongCopyContext {
  Handle source;          // song copied from
  Handle destination;     // song copied into
  int32_t trackIndex = -1;  // entry of the destination that a track copy fills
  uint8_t takeName = 1;   // the block copy takes the source's name
  uint8_t failure = 0;    // a copy step ran out of memory; later steps do nothing
  uint8_t reported = 0;   // the failure was reported to the user
};

// Gives the current song a unique id (left in gSongIdCounter) and makes a 668-byte child in
// the child cell chosen last, a link shell or with new song lists. Returns the memory error.
OSErr NewChildSongBlock(bool link);
void ReportChildSongError();
// Puts the copy prefix in front of the current song's name (at most 31 characters in all).
void PrefixSongCopyName();
// The block copy: the destination takes the source's header and track records as they are
// (handle fields included); the caller replaces or clears the handles.
void CopySongBlock(SongCopyContext* context);
// The whole-song copy: header, tracks with their own handles and children, and the lists.
void CopySongWithContents(SongCopyContext* context);
// Drops song slot `slot` into child cell `cell` of the current track: a full copy (with the
// copy prefix and a new id) or a link shell. 0 on success, the error otherwise (1 when the
// song's current track holds child sequences). The caller disposes the child on failure.
int32_t AttachSongAsChild(bool copy, int32_t slot, int32_t cell);
// Child-walk callback: copies the visited child into the same cell of the current track of
// context->destination (a SongCopyContext).
int32_t CopyChildSequenceInto(void* context);
// Clears the four list handles of a link shell (the current song): they belong to the linked
// song.
void ClearLinkShellLists();
