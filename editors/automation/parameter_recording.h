// Parameter points recorded from the plug-ins (a parameter moved in a plug-in's editor, the
// generic parameter window or the remote control): the plug-in host hands each change to the
// rack's automation list through its hook entry recordParameterPoint.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The rack the last recorded point went into (0 until one is recorded).
extern Handle gLastRecordedRack;

// Puts a plug-in parameter point (kind 3) for the plug-in at chainPosition at the tick, as a
// sample position at the rack's rate, into the rack's list; with firstPoint and no point yet
// for that plug-in and parameter, a point of the same value at time 0 goes in first; with
// noPoint only that one. A point of the same time and target is replaced. Remembers the rack.
OSErr RecordRackParameterPoint(Handle rack, int32_t tick, float value, int32_t chainPosition,
                               int32_t parameter, bool noPoint, bool firstPoint);

// Fills gPluginHostHooks.recordParameterPoint and focusedPluginRack (GetFocusedPluginHandle).
void InstallParameterRecordingHooks();
