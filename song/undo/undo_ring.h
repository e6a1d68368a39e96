// The undo ring: before an edit runs, the state it may change is kept in the next record of a
// ring of gUndoLevels records; Undo and Redo exchange the kept state with the live one, so the
// same record serves both directions.
//
// The ring is one fixed block: a header, then gUndoLevels + 1 records indexed 0..gUndoLevels.
// The records in use run from tail up to, not including, head (head never reaches tail, so
// at most gUndoLevels steps are kept); the record Undo takes back is the one before current,
// the record Redo restores the one at current. Every handle a record holds is its own: a
// record never shares a block with a live song, the clipboard or another record.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kDefaultUndoLevels = 48;
// Kinds: below this a record can be restored; 39 restores nothing; 49 is a change of the
// instrument assignments.
constexpr int32_t kFirstUnrestorableUndoKind = 65;
constexpr int32_t kUndoKindEngineHook = 39;
constexpr int32_t kUndoKindInstrumentAssignments = 49;
constexpr int32_t kNoUndoKind = -1;
// Error text shown when an undo step cannot be kept.
constexpr int16_t kUndoStepFailedText = 11;
// The track-number order of the live song that a step keeps (entries past it are not moved).
constexpr int32_t kUndoEntryOrderMax = 128;

struct UndoRecord {
  int32_t kind = kNoUndoKind;
  Handle savedSongTable;     // u32 song handles, one per slot, for edits of the song table
  Handle songCopy;           // header and lists of the song before the edit
  Handle spareSong;          // the tracks of the step (by track number)
  Handle ownerSong;          // the song the step belongs to
  Handle clipboard;          // the event clipboard as it was
  Handle clipboardPart2;     // the clipboard's song part as it was
  Handle instrumentTable;    // the instrument table as it was
  Handle assignments;        // kind 49: the instrument assignments
  Handle unrestorable;       // while set the record cannot be restored
  Handle extraState;         // filled by the stored procedure when a step asks for it
  uint8_t selection[16] = {};  // the TrackSelection of the step
  uint8_t keepsClipboard = 0;
  uint8_t hasEntryOrder = 0;
  uint16_t currentEntry = 0;   // the live song's current entry index
  uint16_t entryOrderCount = 0;
  uint8_t entryOrder[kUndoEntryOrderMax] = {};  // track numbers by entry, 255 unnumbered
};

struct UndoRingHeader {
  uint32_t head;
  uint32_t tail;
  uint32_t current;
  uint8_t busy;  // while set, opening a record reuses the current one
};

extern int32_t gUndoLevels;
extern UndoRingHeader* gUndoRing;

uint32_t NextUndoIndex(uint32_t i);
uint32_t PrevUndoIndex(uint32_t i);
UndoRecord* UndoRecordAt(uint32_t i);
UndoRecord* GetCurrentUndoRecord();

// Flushes and frees a ring of another level count, then makes an empty ring of levels (one
// level when that fails; a fatal stop when even that fails). Returns the memory error.
OSErr AllocateUndoRing(int32_t levels);
// Flushes and frees the ring (shutdown).
void DisposeUndoRing();
// The record the next edit fills: a new one, or the current one while busy. Null when the
// ring or the record's song copy cannot be made.
UndoRecord* OpenUndoRecord();
UndoRecord* PrepareUndoRecord();
void DropOldestUndoRecord();
void AdvanceUndoTail();
void FlushUndoRing(int32_t all, int32_t compact);
void FlushUndo(int32_t all);
// Frees everything the record keeps; its kind becomes -1.
void DisposeUndoRecord(UndoRecord* record);
void ResetUndoHistory();
// Forgets the record opened last without restoring anything (an edit that stopped before it
// changed the song): the record is emptied, current and head step back onto it, busy is cleared.
void DiscardOpenUndoRecord();
void SetUndoBusy(bool busy);
bool IsUndoBusy();

void SetCurrentUndoKind(int32_t kind);
int32_t GetCurrentUndoKind();
// Opens a record of kind 49 that keeps a copy of the instrument assignments.
OSErr RecordInstrumentAssignmentUndo();

bool CanUndo();
bool CanRedo();

// True when a record in use keeps h as its song copy, its spare song or in its song table.
bool IsHandleInUndoRing(Handle h);
// True when a record keeps the song block h (also as its clipboard song part).
bool IsSongHeldByUndo(Handle song);
// True for gClipboardPart2 itself or a record's kept clipboard part.
bool IsClipboardHandleInUndo(Handle h);
// Records owned by old now belong to replacement.
void ReplaceUndoSongHandle(Handle old, Handle replacement);
// Runs operation over every song kept by the records in use, each selected first.
void ForEachUndoSnapshotHandle(int32_t (*operation)(void* arg), void* arg);
