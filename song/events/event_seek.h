// Finding a time in an event list from a given event, and stepping over one record without
// leaving the list.
#pragma once

#include <cstdint>

// The length of the record at event when it is whole inside bytesLeft, else 0 (a damaged
// record): a stored length must fit, and a data record is never shorter than its header and
// trailer.
uint32_t EventStepWithin(const uint8_t* event, uint32_t bytesLeft);

// From event, the first event whose time is at least t. The end record (time 0), a record
// whose status is below 0x10, or a record too short to step over stops the walk there.
uint8_t* SeekEventList(uint8_t* event, int32_t t);
// The same inside a list of bytes bytes from event: a record that does not fit stops the walk
// there too, and a list without an end record gives event + bytes.
uint8_t* SeekEventListWithin(uint8_t* event, uint32_t bytes, int32_t t);
