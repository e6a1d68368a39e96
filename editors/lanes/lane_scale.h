// The data lanes' kinds: what each lane kind edits, its value range, the scale at the lane's
// left (labels and grid lines) and the readout of the value under the mouse. A lane kind is
// the pane's view mode less 2 (GetLaneViewIndex).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kLaneKindCount = 14;
// The string list of the two-state scale's names (items 1 and 2) and the application text
// after the pitch-bend readout's cents.
constexpr int16_t kTwoStateLaneStrList = 167;
constexpr int16_t kCentsUnitText = 39;

// The range R of a lane kind: values run 0..R - 1, a value of R or more means no value. A
// kind above 12 (or below 0) has the range of kind 1.
int32_t GetLaneRange(int32_t kind);
// The least value that means no value: R, and R + 1 in the plug-in parameter lane, whose
// values reach one above the range (LaneYToValue).
int32_t GetLaneNoValueThreshold(int32_t kind);
// The lane kind of the current pane (GetLaneViewIndex as an i32).
int32_t GetCurrentLaneKind();

// The scale of the lane being drawn or edited, rebuilt by ComputeLaneScale.
struct LaneScaleRecord {
  int32_t scaleParameterKind = 0;  // the unit kind of a plug-in parameter, 0 for other lanes
  float scaleMin = 0;              // value at the bottom
  float scaleMax = 0;              // value at the top
  float scaleRange = 0;            // the range the mapping to y uses
  uint32_t scaleExtra = 0;         // the flags word of the parameter's description
  uint32_t laneLeftTick = 1;       // the timeline's left tick when the scale was built
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
enum : int16_t {
  kLaneLabelNumbers = 0,
  kLaneLabelDecibels = 1,
  kLaneLabelTwoState = 2,
  kLaneLabelParameter = 3,
};
enum : uint16_t { kDrawLaneLabels = 1, kDrawLaneGridLines = 2 };

// Rebuilds gLaneScale for kind and answers its steps. The plug-in parameter lane (kind 10)
// reads the focused plug-in's parameter gLaneController.
LaneScaleSteps ComputeLaneScale(int32_t kind);
// y of a value of the scale (scaleMin..scaleMax) in the lane in gScratchRect.
int16_t LaneScaleValueToY(float value);
// The label text of label value t in style (style 3 maps t through the focused plug-in's
// parameter gLaneController); style 2 draws names, not numbers, and gives an empty text.
void FormatLaneScaleLabel(int16_t style, float t, StringPtr text);
// gain (1.0 = unity) as decibels in at most width characters; "-oo" for no gain.
void FormatGainDecibels(double gain, int16_t width, StringPtr text);
// Scale value k of steps (from scaleMin by the step) and its label value t (from the first
// label by the increment); false once the value passes scaleMax or the step is not positive.
bool LaneScaleLabelAt(const LaneScaleSteps& steps, int32_t k, float* value, float* t);
// The labels (kDrawLaneLabels) and grid lines (kDrawLaneGridLines) of steps for the lane in
// gScratchRect, whose event area starts at the timeline's origin x.
void DrawLaneScaleLabels(const LaneScaleSteps& steps, uint16_t flags);
// The scale of the lane in gScratchRect: labels (kDrawLaneLabels) and grid lines
// (kDrawLaneGridLines); nothing when the step is 0.
void DrawLaneScale(int32_t kind, uint16_t flags);
// The labels of the current pane's lane in its left column (the pane stack's left column).
void DrawCurrentLaneScaleColumn();

// The readout of a lane value: the text, and the digit widths its number is right-aligned in
// (the suffix follows it).
struct LaneReadoutText {
  Str255 number;
  Str255 suffix;
  int16_t digits = 0;
};
// The readout of value read over 0..maximum (the plug-in parameter lane reaches maximum + 1).
void ComposeLaneValueReadout(int32_t kind, int32_t value, int32_t maximum, LaneReadoutText* out);
// The readout DrawLaneValueReadout composed last.
extern LaneReadoutText gLaneReadoutShown;
// The value at y of the lane in gScratchRect shown in the editor's info strip; over
// 0..scaleRange - 1, or 0..R - 1 with tableRange.
void DrawLaneValueReadout(int32_t kind, int16_t y, bool tableRange);
// The readout at y of the current pane's lane (the pointer over a lane pane).
void ShowCurrentLaneValueAt(int16_t y);

// The lane scale in the panes' left column and the lane readout at the pointer (the pane stack
// and the note readout call them).
void InstallLaneScaleHooks();
