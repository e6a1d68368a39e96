// Short pauses of the calling thread, for bounded polling loops: the caller counts its own
// attempts or checks its own deadline.
#pragma once

#include <cstdint>

// Sleeps for about this many microseconds (at least; the system may sleep longer).
void PauseThreadMicros(uint32_t micros);
// Gives the processor to another ready thread, if there is one, and returns.
void YieldProcessor();
