// The data lanes' kinds: what each lane kind edits, its value range, the scale at the lane's
// left (labels and grid lines) and the readout of the value under the mouse. A lane kind is
// the pane's view mode less 2 (GetLaneViewIndex).
#pragma once

#include <cstdint>

constexpr int32_t kLaneKindCount = 14;

// The range R of a lane kind: values run 0..R - 1, a value of R or more means no value.
int32_t GetLaneRange(int32_t kind);
// The lane kind of the current pane (GetLaneViewIndex as an i32).
int32_t GetCurrentLaneKind();

// The scale of the lane being drawn or edited, rebuilt by ComputeLaneScale.
struct LaneScaleRecord {
  int32_t scaleParameterKind = 0;  // the unit kind of a plug-in parameter, 0 for other lanes
  float scaleMin = 0;              // value at the bottom
  float scaleMax = 0;              // value at the top
  float scaleRange = 0;            // the range the mapping to y uses
  uint32_t scaleExtra = 0;
  int32_t laneLeftTick = 1;        // the timeline's left tick when the scale was built
};
extern LaneScaleRecord gLaneScale;

// What ComputeLaneScale answers: the scale step (0: no scale), the first label and the label
// increment, and the label style (0 numbers, 1 decibels, 2 two names, 3 parameter values).
struct LaneScaleSteps {
  float step = 0;
  float firstLabel = 0;
  float increment = 0;
  int16_t style = 0;
};
enum : uint16_t { kDrawLaneLabels = 1, kDrawLaneGridLines = 2 };

LaneScaleSteps ComputeLaneScale(int32_t kind);
// The scale of the lane in gScratchRect: labels (kDrawLaneLabels) and grid lines
// (kDrawLaneGridLines); nothing when the step is 0.
void DrawLaneScale(int32_t kind, uint16_t flags);
// The value at y of the lane in gScratchRect shown in the editor's info strip; over
// 0..scaleRange - 1, or 0..R - 1 with tableRange.
void DrawLaneValueReadout(int32_t kind, int16_t y, bool tableRange);
