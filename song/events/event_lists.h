// The current track's event list: making it, growing it, inserting and removing records,
// the cursor kept as an offset, and the list's lock state.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/events/seq_event.h"

// The 14-byte scratch event that insert commands fill before inserting.
extern uint8_t gEventTemplate[kLongEventSize];
// Byte offset of the last insertion in the list.
extern int32_t gEventInsertOffset;

// 0, -108 or the memory error.
OSErr EnsureTrackEventList();
// Grows the list by n bytes with the memory reserve; a failure is reported and returned.
OSErr GrowEventList(int32_t n);
// Moves the bytes from p to the end of the (already grown) list up by n.
void ShiftEventsUp(uint8_t* p, int32_t n);
// Moves the bytes from p to the list's end down to q.
void ShiftEventsDown(uint8_t* p, uint8_t* q);
// At the place for time t opens n bytes and copies the record (the list has grown by n).
void InsertEventBytes(uint32_t t, const uint8_t* source, int32_t n);
void InsertShortTemplate(uint32_t t);
void ClearTemplateAndInsert(uint32_t t);
OSErr InsertTemplateEvent(uint32_t t);
// 0, 1 when the track cannot have a list, or the memory error when no room was opened.
OSErr InsertShortEvent(int32_t channel, uint32_t t, uint8_t command, uint8_t data1,
                       uint8_t data2);
OSErr InsertSequenceReference(int32_t child, uint32_t start, uint32_t end);
// Appends records in front of the end record without keeping the order (recording and
// bulk loads); SortTrackEvents puts them in order afterwards.
OSErr AppendEventRecords(const uint8_t* records, int32_t n);
uint32_t GetCursorEventEnd();
// Moves the rest of the list down over one event; the handle keeps its size.
void RemoveEventAt(uint8_t* event, Handle list);
// RemoveEventAt on the current track's list, shrinking it, and marks the rows for redraw.
void RemoveCursorEvent(uint8_t* event);
int32_t GetEventCursorOffset();
void SetEventCursor(int32_t offset);
Size GetEventListSize();
bool IsEventListEmpty();
int8_t GetEventListState();
void SetEventListState(int8_t state);
// The end of the records of a list: the address of its end record (time 0), found by a
// bounded forward walk; stops early at a damaged record (its address is returned).
uint8_t* FindEventListEnd(uint8_t* list, Size size);
// The latest event end in the list, at least t; a damaged record ends the list there.
uint32_t LastEventEnd(Handle list, uint32_t t);
