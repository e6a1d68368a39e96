// Region lists: the audio regions a track plays (a handle held by a TrackEntry).
#pragma once

#include "platform/memory/mac_types.h"

// The sample rate kept in a region list, 0 when it has none.
float GetRegionListRate(Handle regions);
// True when a region list has regions in use.
bool RegionListHasRegions(Handle regions);
// The end of the active region list in ticks (0 without regions).
uint32_t GetRegionListEnd(Handle regions);
