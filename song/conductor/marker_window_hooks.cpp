#include "song/conductor/marker_window_hooks.h"

MarkerWindowHooks gMarkerWindowHooks;

void FollowDeletedMarker(int32_t index) {
  if (gMarkerWindowHooks.markerDeleted) gMarkerWindowHooks.markerDeleted(index);
}
