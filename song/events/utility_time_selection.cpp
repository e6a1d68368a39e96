#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"

int8_t gTimeDisplayMode = 0;

bool IsTimeInSelection(uint32_t t) {
  return t != 0 && gTimeSelection.start.tick <= t && t < gTimeSelection.end.tick;
}

bool HasTimeSelection() {
  if (gTimeDisplayMode < 0) return gTimeSelection.end.sample > gTimeSelection.start.sample;
  return gTimeSelection.end.tick > gTimeSelection.start.tick;
}
