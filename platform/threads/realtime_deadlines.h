// Absolute deadlines on the wall clock (CLOCK_REALTIME), as the POSIX timed calls take them
// (timed joins, timed locks).
#pragma once

#include <time.h>

#include <cstdint>

// Now plus micros, normalised.
timespec RealtimeDeadlineIn(uint64_t micros);
