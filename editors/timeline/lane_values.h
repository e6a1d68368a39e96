// A data lane's values and its vertical pixels. The lane is the shared scratch rectangle
// (gScratchRect) set to the lane being drawn or hit; values run from the lane's bottom less 4
// (the least) up to its top (full scale).
#pragma once

#include <cstdint>

constexpr int32_t kLaneFullScale = 16384;
constexpr int16_t kLaneBottomInset = 4;
constexpr int16_t kPitchBendLaneIndex = 0;

// The data lanes by index (the pane's view mode less 2).
enum : int32_t {
  kLanePitchBend = 0,
  kLaneController = 1,
  kLaneVelocity = 2,
  kLaneChannelPressure = 3,
  kLaneProgram = 4,
  kLanePolyPressure = 5,
  kLaneTempo = 6,
  kLaneVolumeAutomation = 8,
  kLanePanAutomation = 9,
  kLanePluginParameter = 10,
  kLaneControllerAutomation = 11,
  kLaneControllerAutomation2 = 12,
  kLaneMasterVolume = 13,
};
constexpr int32_t kFirstAutomationLane = 8;
constexpr int32_t kLaneViewModeOffset = 2;
constexpr int16_t kPluginParameterLaneIndex = 10;

// What the controller, plug-in parameter and send lanes show: the controller number (lane 1),
// the parameter of the plug-in in focus (lane 10) or the aux bus of a send (lanes 11 and 12).
// The automation points of those lanes keep it as their target.
extern int32_t gLaneController;

// y of a value of a range (a value of the range or more is the lane top; the bottom for a
// range that is not above 0).
int16_t ValueToLaneY(int32_t value, int32_t scale);
int16_t ValueToLaneY16K(int32_t value);
// The value at y, clamped to minimum..maximum; the minimum for a lane too short to scale.
// In the pitch-bend lane 8192..8319 snap to the centre 8192; the plug-in parameter lane
// reaches one above the maximum.
int32_t LaneYToValue(int16_t y, int32_t maximum, int32_t minimum);
int32_t LaneYToValue16K(int16_t y);
