// A track's data in a song document: its event list, section list, drum data, plug-in
// records and further block, in that stored order behind the song block.
//
//   1 event list, raw, TrackEntry +22 bytes (when +22 is not 0)
//   2 section list, slot +224        3 drum data, slot +240
//   4 plug-in record, slot +232      5 further block, slot +248
//   6 plug-in record, slot +256
// Each slot's block is size-prefixed and stands in the file only when the stored handle word
// (or its alternate) is non-zero.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// What a stored TrackEntry says follows it, taken before its words are cleared.
struct TrackPresence {
  uint32_t eventBytes = 0;
  bool sections = false;
  bool drums = false;
  bool audio = false;
  bool extra = false;
  bool audio2 = false;
  uint64_t children = 0;  // bit c: child cell c holds a child sequence
  OSErr eventCheck = noErr;  // the event list's check as it was read (ReadTrackData)
  uint32_t songLength = 0;  // the song's end tick: the stored sections are fitted into it
};

// Takes the presence of an entry's blocks from its stored words and clears every word that
// names a handle (the six fields, their alternates, the child cells) and the run-time event
// offsets +192 and +200. Child cells count only when withChildren is set.
void TakeTrackPresence(uint8_t* entry, bool withChildren, TrackPresence* presence);

// Reads the track's blocks into new handles stored in entry (which must not move meanwhile).
// The event list is taken as it stands; its bytes are checked (CheckEventListBytes) while they
// are fresh from the file, and the outcome goes to *eventCheck when given: the reader of the
// song acts on the checks of all its tracks (FinishStoredEventLists) once they are read.
// On failure the entry holds only handles that were allocated (DisposeStoredTrackHandles
// frees them) and the document input's error is latched.
OSErr ReadTrackData(uint8_t* entry, const TrackPresence& presence, OSErr* eventCheck = nullptr);
// Frees the six handle fields of an entry that was read (plug-in records with their blocks).
void DisposeStoredTrackHandles(uint8_t* entry);

// What a stored handle field holds when its block follows (the reader takes any non-zero
// value so): a live handle id would make two saves of the same song differ.
constexpr uint32_t kStoredBlockMark = 1;

// Bit i set when handle field i (kTrackHandleFields order) of a live entry is written: the
// handle is live and, for a plug-in record, of a size the reader takes.
uint8_t WrittenTrackBlocks(const uint8_t* entry);
// Turns a copy of a live entry into its stored image: the mark in each handle word whose
// block is written (0 in the others), alternates 0, +22 the event list's size, run-time offsets 0; the child cells are
// kept (valid handles only) when withChildren is set, else cleared.
void MakeStoredTrackImage(uint8_t* image, const uint8_t* live, bool withChildren);
// Writes the blocks of a live entry to the stream. Returns the stream error.
OSErr WriteTrackData(const uint8_t* entry);

// The bytes of an event list read from a file, checked record by record in one pass:
// noErr when an end record closes them, kEventListOpen when the records fill them exactly,
// kDocumentDamagedErr for a record of no known length or one that does not fit.
constexpr OSErr kEventListOpen = 2;
OSErr CheckEventListBytes(const uint8_t* bytes, uint32_t size);
// Acts on the checks of count lists (null lists and their checks are skipped): the first
// kDocumentDamagedErr is returned and nothing is changed; else every open list gets its end
// record (memFullErr when one cannot grow).
OSErr FinishStoredEventLists(const Handle* lists, const OSErr* checks, int32_t count);

// Checks an event list read from a file: every record's length is known and inside the list,
// and the list ends with its end record (one is appended when the records fill the list
// exactly). kDocumentDamagedErr for a damaged list, memFullErr when the end cannot be added.
OSErr CheckStoredEventList(Handle list);
// The same for count lists at once (null entries are skipped); the first error.
OSErr CheckStoredEventLists(const Handle* lists, int32_t count);
