#include "editors/lanes/lane_controllers.h"

#include "editors/timeline/lane_values.h"

// Interim shapes until the lane choices are built.
void SelectLaneController(int32_t n) { gLaneController = n; }
void GetUsedControllers(uint8_t mask[16]) {
  for (int i = 0; i < 16; ++i) mask[i] = 0;
}
void HandleLaneTitleClick(Point) {}
int32_t RunDataKindPopup(int32_t, int32_t, bool, Point) { return -5; }
