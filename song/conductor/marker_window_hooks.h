// What the marker list asks of the marker window: keeping the marker it shows when markers
// before it go. Installed by the editing at start-up (InstallEditingHooks); an entry not
// installed does nothing. Main thread only.
#pragma once

#include <cstdint>

struct MarkerWindowHooks {
  void (*markerDeleted)(int32_t index);
};
extern MarkerWindowHooks gMarkerWindowHooks;

// Tells the marker window that marker index was deleted.
void FollowDeletedMarker(int32_t index);
