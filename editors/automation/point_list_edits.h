// The point-list operations of time editing: cutting a range of points (closing the gap on
// request) and shifting points in time, over the points that the point test accepts. The end
// record is never touched, shifted times stay within 0..kLastPointTime and the list stays in
// time order.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Point test masks: bit n accepts kind n (kind 0 is always accepted); with bit 29 the point's
// target must equal gLaneController, with bit 30 and a plug-in index of 0 or more its plug-in
// index must equal that one.
constexpr uint32_t kAllPointKinds = 0x9ffffffe;
constexpr uint32_t kPointMaskController = 0x20000000;
constexpr uint32_t kPointMaskPlugin = 0x40000000;
constexpr int32_t kNoPluginIndex = -1;

bool PointPassesTest(const uint8_t* point, uint32_t mask, int32_t pluginIndex);

// Removes the accepted points in start..end (samples, end exclusive); with shift, every point
// at or after end (of any kind) moves back by end - start, and the points that stay inside the
// range (those the test refused) keep their times with the list sorted again. Positions at or
// beyond 2^32 count as 0xFFFFFFFF. 0, or -50 for a malformed list.
OSErr CutPointListRange(Handle list, uint64_t start, uint64_t end, bool shift, uint32_t mask, int32_t pluginIndex);
// Adds delta to every accepted point in start..end (end exclusive), each time kept within
// 0..kLastPointTime, and sorts the list again (equal times keep their order).
void ShiftPointsFrom(Handle list, uint64_t start, uint64_t end, int64_t delta, uint32_t mask, int32_t pluginIndex);
// Every point at or after start moves by end - start (back when end is below start).
void ShiftPointListAt(Handle list, uint64_t start, uint64_t end);
