// The play range: the two positions of the committed time selection, as the clock plays them.
#pragma once

#include <cstdint>

// One 16-byte position of the play range: tick, sample position, sample rate.
struct ClockPosition {
  uint32_t tick = 0;
  uint64_t sample = 0;
  float rate = 0;
};

extern ClockPosition gClockPlayRange[2];

// Copies two positions into the play range.
void SetClockPlayRange(const ClockPosition& start, const ClockPosition& end);
