// Finding the audio region that plays at a sample position: a track's regions play one
// after another from its start, each for its 64-bit length in frames.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/model/audio_region.h"

// The index of the region that plays at position, with its cumulative start and end; -1 at or
// beyond the end of the last region (start and end then hold the last region's start and the
// total length) or for an empty list (both 0). Sums that would pass the open end stop there.
int32_t FindRegionAtPosition(int64_t position, int64_t* start, int64_t* end, Handle regionList);
