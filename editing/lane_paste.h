// The paste into a data lane of the main editor or into the conductor map: clipboard events
// become lane values, clipboard conductor records become records or lane values.
#pragma once

#include <cstdint>

#include "editors/timeline/lane_values.h"
#include "platform/memory/mac_types.h"

// The lane index of the current pane (-1 for none).
int32_t CurrentLaneIndex();
// The clipboard range sourceStart..sourceEnd pasted at the time selection's start into the
// current lane, or into the conductor map; with replace the lane is cleared first.
OSErr PasteLaneOrConductor(uint32_t sourceStart, uint32_t sourceEnd, bool replace);
// value (0..16383) written at tick into the lane; lanes without a value write nothing.
OSErr WriteLaneValue(int32_t lane, uint32_t tick, int32_t value);
