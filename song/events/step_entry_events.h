// Taking the event at the event cursor out of the current track, as step entry and its undo
// do it.
#pragma once

#include <cstdint>

// Copies the event at the cursor (up to 14 bytes) into gEventTemplate and moves the rest of
// the list down over it; the list keeps its size. Returns the event's length (0: none).
uint32_t TakeCursorEventIntoTemplate();
// Within the track-edit brackets: takes the cursor event out, shrinks the list by the
// event's own length and copies its first length bytes (at most 14) into buffer; the time
// range is set to the event's time.
void TakeCursorEventOut(uint8_t* buffer, int32_t length);
// 1 when the template event (a note) ends at or beyond the current track's length.
int32_t TemplateEventReachesTrackEnd();
// Finds the first event of the current track at or after the time selection's start that
// equals event (a 14-byte buffer; its flag byte is taken from each candidate) and takes it
// out. 0 when none matched, or for an end record or a record of stored length, which this
// buffer cannot hold; 1 otherwise (for a note: TemplateEventReachesTrackEnd).
int32_t RemoveMatchingEvent(uint8_t* event);
