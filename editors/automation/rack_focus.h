// The insert rack whose automation the editor works on: the rack in focus for the current
// pane, its point list, the rack a lane writes into (made when missing) and the reduction of
// a rack's list to the points of the current lane.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct AutomationListRef;

// The plug-in whose parameters a plug-in pane's lane shows. Interim: the panes do not know
// their plug-in yet; the lanes work on the first plug-in of the rack's chain.
constexpr int32_t kPanePluginIndex = 0;

// For a pane of slot n >= 1 (gCurrentPaneSlot) the rack of instrument-table entry
// gInstrumentCount + n - 1 (the aux buses, then the master); for a track pane the current
// track's rack when its chain is not empty, else the rack of the device whose plug-in shows in
// the front window (a plug-in editor window), else, when the track plays through the
// instrument table, the rack of its instrument. 0 when none.
Handle GetFocusedPluginHandle();
// The list cell of the focused rack; for a track pane always the track's own rack (an empty
// reference when the track has none).
AutomationListRef GetFocusedAutomationListRef();
// The focused rack; when a track pane's track has no rack, or no rack is in focus, the rack of
// the track (track pane) or of the slot's entry (slot pane), made when missing with the
// engine's rate (a made slot rack is marked changed). 0 when there is none to make or memory
// is short.
Handle GetLaneRackHandle();
// Detaches the rack's list into *detached (the caller disposes it) and gives the rack a new
// list of only the points of the current lane's target: kind 1 for lane 8, 2 for 9, 3 for 10
// (parameter gLaneController of the plug-in at pluginIndex, the pane's plug-in), 4 for 11 and
// 5 for 12 (bus gLaneController); any other lane leaves the rack without a list. On a memory
// failure the rack keeps its whole list, *detached is 0 and the error is returned.
OSErr KeepLanePointsOnly(Handle rack, int32_t pluginIndex, Handle* detached);
