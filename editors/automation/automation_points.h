// Automation points: the time-sorted 16-byte point lists of the insert racks, their list
// operations and the refresh of the engine's playback copy.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr uint32_t kAllPointKinds = 0x9ffffffe;

// Removes the points in start..end (samples, end exclusive) that the point test accepts; with
// shift, later points move back by end - start. The end record always stays.
OSErr CutPointListRange(Handle list, uint64_t start, uint64_t end, bool shift, uint32_t mask, int32_t pluginIndex);
// Adds delta to every accepted point from start up to end.
void ShiftPointsFrom(Handle list, uint64_t start, uint64_t end, int64_t delta, uint32_t mask, int32_t pluginIndex);
// Every point at or after start moves by end - start.
void ShiftPointListAt(Handle list, uint64_t start, uint64_t end);
// The list field of the rack in focus (null when none).
Handle* GetFocusedAutomationListRef();
// Gives the rack's engine channel a fresh playback copy of its list.
void RefreshAutomationPlayback(Handle rack);
