// The note-follow table of the transposition transforms: while notes are transposed, each
// source note number remembers where its last transposed note lay and what it became, so that
// poly-pressure events on that key follow their note.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kNoteFollowEntrySize = 8;  // u32 time, u16 length, u8 new note, u8 0
constexpr Size kNoteFollowTableSize = 128 * kNoteFollowEntrySize;

extern Handle gNoteFollowTable;  // exists only during RunWithNoteFollowTable

using NoteFollowProc = void (*)(void* argument);
using TransposeNoteProc = int32_t (*)(int32_t note);

// Runs procedure with a cleared table; runs nothing when the table cannot be had.
void RunWithNoteFollowTable(NoteFollowProc procedure, void* argument);
// entry[note] = {time, length, newNote}; nothing without a table or for a note outside 0..127.
void RecordNoteMapping(uint32_t time, uint16_t length, uint8_t note, uint8_t newNote);
// For a poly-pressure event at the cursor: taken by the copy filter, with its key in the note
// range and no criteria active, its key becomes transpose(key) folded into 0..127; otherwise,
// when time lies within entry[key] (both ends included), the entry's new note.
void FollowTransposedNote(TransposeNoteProc transpose, uint32_t time);
