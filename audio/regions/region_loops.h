// Loop preparation before a list streams: while the transport cycles, region borders at the
// cycle's start and end, the record that ends at the end carrying the step back to the record
// at the start (and selected); otherwise every record plays on and none is selected.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// SplitRegionAt with the two ticks converted at rate.
OSErr SplitRegionAtTicks(Handle list, uint32_t startTick, uint32_t endTick, float rate);
// With the transport's cycle on, the borders of the cycle in the list; else ClearRegionMarks.
OSErr PrepareRegionLoops(Handle list, float rate);
