// The automation value transform behind the "conaudio" dialog: set, add, percent or ramp over
// the automation points of the lane's target inside the time selection (the focused insert
// rack's point list), or over the master-volume records of the conductor map on the
// master-volume lane. Values are worked in the target's own units: volumes 0..127 through the
// volume curve, pans 0..127, plug-in parameters in the plug-in's range (the point keeps the
// plug-in's linear 0..1 value).
#pragma once

#include <cstdint>

#include "editors/automation/automation_points.h"
#include "platform/memory/mac_types.h"

struct PluginInstance;

// What one automation lane edits.
struct AutomationLaneTarget {
  int32_t lane = 0;          // the data lane (8..13)
  uint8_t kind = 0;          // the point kind; 0 on the master-volume lane
  int16_t target = 0;        // the parameter (kind 3) or aux bus (kinds 4, 5)
  int32_t pluginIndex = 0;   // kind 3: the plug-in's place in the rack's chain
  PluginInstance* plugin = nullptr;
  float minimum = 0;         // the range in the target's own units
  float maximum = 127;
};

// The target of data lane lane on the focused rack (rack may be 0: no plug-in, range 0..1 for
// a parameter lane). False for a lane that is no automation lane.
bool GetAutomationLaneTarget(int32_t lane, Handle rack, AutomationLaneTarget* out);
// The name shown for the target: the parameter's name, "Volume", "Pan", "Send level",
// "Send pan" or "Master volume".
void GetAutomationTargetName(const AutomationLaneTarget& t, char* name, int32_t capacity);
// A point's value in the target's units, and storing one (clamped to the range) into a point.
float ReadPointUnits(const AutomationLaneTarget& t, const AutomationPoint& p);
void StorePointUnits(const AutomationLaneTarget& t, float units, AutomationPoint* p);

// The samples between two ramp points: rate / 200 (5 ms), or 80 when that is not positive or
// with sineOrOption (the option key held).
int64_t AutomationRampSpacing(double rate, bool optionKey);
// gValueOperation over the points of t in start..end (samples, end exclusive for add and
// percent; set and ramp cut start..end and write up to end) on the rack's list, with the
// values of gControllerEditState. 0, or the first insert error (the points written so far stay).
OSErr EditAutomationPoints(Handle rack, const AutomationLaneTarget& t, uint64_t start, uint64_t end,
                           bool optionKey);
// One undoable step of kind 20: on the master-volume lane the conductor's master-volume
// records of the selection, else the points of the lane on the focused rack (once for a
// bus or master pane, per selected track for a track pane), each refreshed for playback.
// True when the step ran.
bool ApplyAutomationValueEdit(int32_t lane);
