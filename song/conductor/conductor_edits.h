// Range edits of the current song's conductor map: inserting or removing time at the time
// selection, moving and scaling records in it, master-volume ramps, and keeping meter
// changes on bar lines. Callers bracket them with undo steps and redraws.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The values of EditMasterVolumeInRange, in order.
struct MasterVolumeEditValues {
  float amount = 0;      // mode 1: added to every level
  float rampFirst = 0;   // mode 3: the level at the range start
  float rampLast = 0;    // mode 3: the level at the range end
  float level = 0;       // mode 0: the level set at the range start
  float percentage = 0;  // mode 2: every level scaled by it
};

enum : int32_t {
  kMasterVolumeSet = 0,
  kMasterVolumeAdd = 1,
  kMasterVolumePercent = 2,
  kMasterVolumeRamp = 3,
};
constexpr int32_t kMasterVolumeLane = 15;

// Moves every meter change to the bar line at or before it (tick 1: into the header).
void SnapMeterChangesToBars();
// Inserts (delta > 0) or removes (delta <= 0) time at the time selection.
void ShiftConductorRecords(int32_t delta);
// Moves the tempo records (master-volume records for lane 15) inside the selection.
void MoveConductorRecordsInSelection(int32_t delta, int32_t laneKind);
// Scales the ticks of the records inside the selection whose kind bit is in kindMask about
// the selection start; a tick that would fall before tick 1 becomes 1.
void ScaleConductorTimesInSelection(double factor, uint64_t kindMask);
// Deletes the selected records (the conductor list's delete): a deleted meter change re-times
// the meter map, a deleted tempo change re-times the markers. Answers the records deleted.
int32_t DeleteSelectedConductorRecords();
// Moves the song's conductor end tick by delta, never below 0.
void MoveConductorEndTick(int32_t delta);
OSErr EditMasterVolumeInRange(const MasterVolumeEditValues& values, int32_t mode);
