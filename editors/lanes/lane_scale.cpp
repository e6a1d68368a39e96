#include "editors/lanes/lane_scale.h"

#include "shell/windows/track_view_modes.h"

// Interim shapes until the lane kinds are built.
LaneScaleRecord gLaneScale;

int32_t GetLaneRange(int32_t) { return 128; }
int32_t GetCurrentLaneKind() { return GetLaneViewIndex(); }
LaneScaleSteps ComputeLaneScale(int32_t) { return {}; }
void DrawLaneScale(int32_t, uint16_t) {}
void DrawLaneValueReadout(int32_t, int16_t, bool) {}
