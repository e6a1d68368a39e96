// Reading a track's audio frames as its region list plays them: the raw bytes of the frames,
// region after region, from the open forks of the song's referenced-file table. Regions that
// are silent or whose file is missing or closed read as silence.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Up to count frames of one region from its frame first into buffer, read by the track's
// sample access. A region that reads as silence (silent, missing, its file closed or its frames
// not frameBytes long) writes nothing and sets *silent (*got = count); a file shorter than the
// region ends the read where it ends. 0 or the file layer's error.
OSErr ReadOverviewRegionFrames(const uint8_t* region, int64_t first, int32_t count, int32_t frameBytes,
                               uint8_t* buffer, int32_t* got, bool* silent);
// Frames from a sample position of the list into buffer (count x frameBytes bytes), silence
// as zero bytes. *got is the frames the list holds from the position on (at most count);
// -909 for a region whose frames are not frameBytes long, else 0 or the read's error.
OSErr ReadOverviewListFrames(Handle regions, int64_t position, int32_t count, int32_t frameBytes, uint8_t* buffer,
                             int32_t* got);
