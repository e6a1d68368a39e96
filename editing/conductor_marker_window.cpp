#include "editing/conductor_marker_window.h"

#include "song/conductor/markers.h"

int32_t gMarkerWindowIndex = -1;

// Interim: read from the marker list until the marker window exists.
uint32_t GetLastMarkerEnd() {
  int32_t count = CountMarkers();
  if (count <= 0) return 1;
  const uint8_t* last = GetMarkerAt(count - 1);
  uint32_t end = MarkerTick(last);
  if (MarkerKind(last) != kMarkerKindPlain) end += MarkerLength(last);
  return end;
}
