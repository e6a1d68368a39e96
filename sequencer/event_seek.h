// Finding a time in an event list from a given event.
#pragma once

#include <cstdint>

// From event, the first event whose time is at least t. The end record (time 0), a record
// whose status is below 0x10, or a record too short to step over stops the walk there.
uint8_t* SeekEventList(uint8_t* event, int32_t t);
