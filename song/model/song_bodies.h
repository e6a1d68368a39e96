// Song records in a song document: each song's block (header and track entries) behind its
// u16 length, the data of its tracks with each track's child sequences, its conductor map,
// its marker list and the two further blocks +388 and +380 (the pane table).
//
// Reading builds a complete song block off to the side: the stored handle words are taken
// aside as presence flags and cleared before anything else is read, so a block that is
// given up half way holds only handles this program allocated (DisposeStoredSong).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The pane table of a song: 16 panes of 44 bytes.
constexpr int32_t kPaneCount = 16;
constexpr int32_t kPaneSize = 44;
constexpr int32_t kSongPaneTableSize = kPaneCount * kPaneSize;
// Bytes of the first stored pane: the number of panes, and each pane's lane (i16).
constexpr int32_t kStoredPaneCountByte = 13;
constexpr int32_t kStoredPaneLane = 22;

// Bytes of a song block from its start to the end of its last TrackEntry, walked by the
// entries' lengths; 0 when the walk leaves the block or meets a length below 264.
uint32_t StoredSongLength(const uint8_t* song, Size blockSize);
// Checks a song block read from a file: its entries fill exactly length bytes, each entry's
// length fits its child count (at most 64 cells) and each track number is 0..47 or 255.
bool IsStoredSongBlockValid(const uint8_t* song, uint32_t length);

// Reads one song record (isChild for a child sequence) into a new, unlocked song block.
// On failure nothing stays allocated and the document input's error is latched.
OSErr ReadSongRecord(bool isChild, Handle* song);
// Frees a song block read by ReadSongRecord (or half read), with everything it names.
void DisposeStoredSong(Handle song);
// Frees the blocks that the plug-in records of a song's tracks name (children included),
// leaving the records to the song's owner; each track's insert rack lets go of its plug-ins.
void ReleaseSongPluginBlocks(Handle song);

// The conductor map of a stored song: u32 n, then n bytes of records. The map is cut at the
// first end record (kind 0, or tick 0xFFFFFFFF) and closed with an end record.
OSErr ReadStoredConductorMap(uint8_t* song);
// Widens an older pane table (8 x 16 or 8 x 32 bytes) to 16 panes of 44 bytes and moves each
// pane's byte +15 into its i16 +22.
OSErr WidenPaneTable(Handle table);

// Writes one song (a child sequence when isChild) with its tracks' data, its children, its
// conductor map, markers and further blocks. Sets gIterationAbort and returns the error on
// a file error; paramErr for a song block that cannot be stored (its length is damaged or
// beyond 65535 bytes, or a child sequence has children of its own).
OSErr WriteSongRecords(Handle song, bool isChild);
// Every song of the song table, in slot order.
OSErr WriteSongDocumentBody();
