#include "editors/adjacent_marker.h"

#include "editing/marker_window.h"
#include "editors/follow/play_cursor.h"
#include "editors/transport_keys.h"
#include "song/conductor/markers.h"

namespace {

bool IsTabKind(const uint8_t* marker) {
  uint8_t kind = MarkerKind(marker) & kMarkerKindMask;
  return kind < 32 && ((kTabMarkerKinds >> kind) & 1);
}

// Only the marker at index carries the visited mark (plain markers have no flag byte).
void MarkOnly(int32_t index) {
  for (int32_t n = 0; n < CountMarkers(); ++n) {
    uint8_t* m = GetMarkerAt(n);
    if (MarkerKind(m) == kMarkerKindPlain) continue;
    if (n == index) m[kMarkerFlagsOffset] |= kMarkerVisited;
    else m[kMarkerFlagsOffset] &= uint8_t(~kMarkerVisited);
  }
}

}  // namespace

int32_t AdjacentMarkerIndex(uint32_t tick, bool backward) {
  int32_t count = CountMarkers();
  if (!backward && count > 0) {
    int32_t index = count;
    FindMarkerAfter(tick, nullptr, kTabMarkerKinds, &index);
    return index;
  }
  for (int32_t n = count - 1; n >= 0; --n) {
    uint8_t* m = GetMarkerAt(n);
    if (MarkerTick(m) < tick && IsTabKind(m)) return n;
  }
  return -1;
}

bool GoToAdjacentMarker(bool backward) {
  // The marker found always lies off the song position, so it is always a move: measured
  // against the marker window's current marker instead, Shift-Tab past the last marker
  // would stay where it is.
  int32_t index = AdjacentMarkerIndex(GetPanePlayPosition(), backward);
  if (index < 0 || index >= CountMarkers()) return false;
  gMarkerWindowIndex = index;
  MarkOnly(index);
  RedrawMarkerViews();
  LocateAndShowInWindows(MarkerTick(GetMarkerAt(index)), kEditorWindowKindsMask);
  return true;
}
