// A track's section list (its repeat list): ranges of the track played several times, or
// endlessly, before playback goes on behind them; the mapping of a play position through the
// repeats, the edits of the list and the reset of a track's play position.
//
// The list is a handle of the TrackEntry (+224), big-endian:
//   header (16 bytes): u32 index of the entry found by the last mapping (an index, never an
//     address), u32 spare, u32 number of entries, u32 the track's own length saved with the
//     list (reported by GetTrackLength while the track plays by its sections)
//   SectionEntry (48 bytes each, sorted by start, ended by an entry whose start is 0):
//     +0 current start (unmapped position where the current repeat began), +4 start (from 1),
//     +8 end (the tick at which the section wraps back to its start), +16 repeat count (0:
//     endless), +20 current repeat (0-based), +24 repeats end (start + count x length;
//     0x7fffffff endless), +32 start event and +40 repeats-end event (byte offsets into the
//     track's event list); the other words stay 0.
//
// Bit 6 of the TrackEntry flags byte (+13) is the track's loop flag: a looping track plays by
// its sections when it has a list, and over its own length otherwise.
//
// The Part-level calls work on the current track; the ...OfTrack forms take a TrackEntry and
// touch no program-wide state, so that the sequencer's clock may call them.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/model/song_layout.h"

constexpr int32_t kSectionHeaderBytes = 16;
constexpr int32_t kSectionEntryBytes = 48;
constexpr int32_t kNewSectionListBytes = kSectionHeaderBytes + 2 * kSectionEntryBytes;

constexpr int32_t kSectionLastMapped = 0;   // header words
constexpr int32_t kSectionCountWord = 8;
constexpr int32_t kSectionSavedLength = 12;

constexpr int32_t kSectionCurrentStart = 0;  // SectionEntry words
constexpr int32_t kSectionStart = 4;
constexpr int32_t kSectionEnd = 8;
constexpr int32_t kSectionRepeatCount = 16;
constexpr int32_t kSectionCurrentRepeat = 20;
constexpr int32_t kSectionRepeatsEnd = 24;
constexpr int32_t kSectionStartEvent = 32;
constexpr int32_t kSectionRepeatsEndEvent = 40;

constexpr uint32_t kEndlessRepeatsEnd = 0x7fffffff;
constexpr uint8_t kTrackLoopFlag = kTrackFlag40;           // TrackEntry flags byte (+13)
constexpr uint8_t kTrackInactiveFlag = kTrackFlagSilent;

// The fields of one entry as plain values.
struct SectionFields {
  uint32_t start = 0;
  uint32_t end = 0;
  uint32_t count = 0;
  uint32_t currentRepeat = 0;
  uint32_t repeatsEnd = 0;
};

// What a mapping found: the entry (its index; the end record's index when past them all),
// whether it is a real entry, the repeat, the mapped position and the play limit it would set.
struct SectionMapping {
  int32_t index = 0;
  bool inEntry = false;
  uint32_t repeat = 0;
  uint32_t currentStart = 0;
  uint32_t mapped = 0;
  bool hasLimit = false;
  uint32_t limit = 0;
};

// A track's list, or 0 when it has none (or the handle is not a usable list).
Handle GetTrackSectionList(const uint8_t* entry);
// Number of entries before the end record, bounded by the handle's size.
int32_t CountSectionEntries(Handle list);
// Entry i (0 <= i < count) as values; false beyond the entries.
bool GetSectionFields(Handle list, int32_t i, SectionFields* fields);
// start + count x (end - start); the endless value for a count of 0.
uint32_t SectionRepeatsEnd(uint32_t start, uint32_t end, uint32_t count);
// The saved length of the list (header word 3); false without a list.
bool GetSectionListSavedLength(Handle list, uint32_t* length);
// The last entry's repeats end (its end when it repeats endlessly); 0 without entries.
uint32_t GetLastSectionEnd(Handle list);

// The mapping without any effect on the list or the track: for the editors and counters,
// which run beside the playing sequencer.
SectionMapping PeekPositionThroughSections(const uint8_t* entry, uint32_t position);
// The mapping as playback runs it: stores the entry found, its repeat and current start, the
// play limit in the track's length field, and refreshes the entries' event words.
uint32_t MapPositionThroughSectionsOfTrack(uint8_t* entry, uint32_t position);
uint32_t MapPositionThroughSections(uint32_t position);
uint32_t WrapTrackPositionOfTrack(uint8_t* entry, uint32_t position);
uint32_t WrapTrackPosition(uint32_t position);

// Disposes entry's list and clears its loop flag.
void DisposeTrackSectionList(uint8_t* entry);

// Adds an entry in start order, making the list when there is none; the memory error when the
// list could not grow (nothing is changed then).
OSErr InsertSection(uint32_t start, uint32_t end, uint32_t count);
void InitSectionEntry(uint32_t start, uint32_t end, uint32_t count, int32_t index);
// Removes the entries that start in from..to-1 (and end there too unless loose).
void DeleteSectionsInRange(uint32_t from, uint32_t to, bool loose);
// With toSelected: on every selected track the range start..end is cleared and the entry
// inserted; otherwise entry index of the current track is set (a new one when index is past
// the entries).
OSErr AddSection(uint32_t start, uint32_t end, uint32_t count, bool toSelected, int32_t index);
// Installs a list read from a song file on entry: stored entries up to a start of 0 or beyond
// songLength are inserted in order, their counts limited to the repeats that fit in the song
// (a song length of 0, never stored, keeps the counts). The stored handle is consumed. The memory error stops it and is returned.
OSErr InstallSectionList(uint8_t* entry, Handle stored, uint32_t songLength);
using SectionCallback = int32_t (*)(void* context, int32_t index, const SectionFields& fields);
// Calls callback for each entry of the current track until it answers non-zero (answered).
int32_t ForEachSection(SectionCallback callback, void* context);
// Scales the entries that start in the time selection about its start.
void ScaleSections(double factor);
// Time edits: a negative delta (time removed) first drops the sections in the selection.
void ShiftSections(int32_t delta);
// Shifts the entries of a list for an edit at selection start..end (for tests and the above).
void ShiftSectionList(Handle list, int32_t delta, uint32_t selStart, uint32_t selEnd);

// What a track plays from after a reset: its play position and the byte offset of its next
// event (-1 none).
struct TrackPositionReset {
  uint32_t position = 0;
  int32_t nextEvent = -1;
};
// Prepares a track to play from position: pending word cleared, sections mapped from their
// start, the loop applied, the bend centred, the next event found.
TrackPositionReset ResetTrackPosition(uint8_t* entry, uint32_t position);
// What a reset before playback leaves in the track's record: no pending event and, for an
// active track with events that shows its own regions, the pitch bend at its centre (8192).
// False for an inactive track. The clock's own reset uses it too.
bool ResetTrackPlayRecord(uint8_t* entry);

// Makes room behind a section for its unrolled repeats: the caller clears at (the section's
// end) .. to, which the repeats covered.
using UnrollRoomCallback = void (*)(uint32_t at, uint32_t to);
// Turns the current track's sections into plain events: each section's events are copied
// behind it for its further repeats (count - 1, at least one copy) and the list is disposed.
// Without a list, with loopFlag on a looping track, the track's loop is repeated to fill the
// song instead. A list that cannot grow skips that section (its error is answered).
OSErr UnrollSections(UnrollRoomCallback callback, bool loopFlag);
