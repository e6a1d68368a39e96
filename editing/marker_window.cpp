#include "editing/marker_window.h"

int32_t gMarkerWindowIndex = -1;

void FollowMarkerDeletion(int32_t index) {
  if (gMarkerWindowIndex == index) --gMarkerWindowIndex;
}
