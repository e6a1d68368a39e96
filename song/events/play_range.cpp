#include "song/events/play_range.h"

ClockPosition gClockPlayRange[2];

void SetClockPlayRange(const ClockPosition& start, const ClockPosition& end) {
  gClockPlayRange[0] = start;
  gClockPlayRange[1] = end;
}
