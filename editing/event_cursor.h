// The editing cursor: one shared cursor over the current track's event list that every
// editing operation walks, with the routines that read, rewrite, append and delete events at
// it. The caller holds the current track's event list locked during a walk. Main thread only;
// walks never interleave.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

extern uint32_t gRemovedEventBytes;   // bytes removed from the list during the current walk
extern uint8_t* gEventWriteCursor;    // where the next kept event goes during a compaction
extern uint8_t gCursorAdvanceArmed;   // 0 right after the event at the cursor was deleted

// gCurrentEvent = event, gRemovedEventBytes = 0, armed; returns event.
uint8_t* SetCurrentEvent(uint8_t* event);
// The cursor on the first event at or after the time selection's start.
uint8_t* TargetCurrentTrack();
// The cursor on the list start while notes are split at the range edges (gPasteOptions bit 7
// clear), else TargetCurrentTrack.
uint8_t* SeekEditStart();
// Stays once after a delete at the cursor (the next event slid into its place), else steps.
void AdvanceEventCursor();
// Splits the cursor event's status into gEventCommand / gEventChannel; returns its tick (0 at
// the end record or without a cursor).
uint32_t SplitCursorEvent();
// time = tick (at least 1); status = gEventCommand, with gEventChannel for channel commands.
void InitSeqEventHeader(uint8_t* event, uint32_t tick);
void InitCurrentEventHeader(uint32_t tick);
// A note's u16 duration, clamped to 1..65535.
void SetEventDuration(uint8_t* event, int32_t ticks);
void SetCurrentEventDuration(int32_t ticks);
// data1 + 128 x data2 read as a signed 16-bit number.
int16_t GetEventBendValue(const uint8_t* event);
// With the list already grown by n: the n bytes go just before the end record, and a fresh
// end record is cleared behind them.
void AppendEventBytes(const uint8_t* bytes, int32_t n);
// An 8-byte channel event appended at the list's end (the list is re-sorted by the caller);
// the memory error of the grow, the list unchanged on failure.
OSErr AppendChannelEvent(uint8_t channel, uint32_t tick, uint8_t command, uint8_t data1, uint8_t data2);
// Shrinks the current track's list handle by bytes and marks the editor panes for redraw.
void ShrinkCurrentTrackEvents(uint32_t bytes);
// Adds or subtracts octaves until the note lies in 0..127.
int32_t FoldNoteToMidiRange(int32_t note);
