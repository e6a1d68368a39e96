// Telling a double click: the event being handled against the time of the click before it.
#pragma once

#include <cstdint>

// True when the event being handled (gLastEvent) came within the system's double-click time
// of *previousClickTime; the event's time is stored there for the next test.
bool IsDoubleClick(uint32_t* previousClickTime);
