// Finding the audio region that plays at a sample position: a track's regions play one
// after another from its start, each for its 64-bit length in frames.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kRegionSize = 256;
constexpr int32_t kRegionLengthAt = 128;  // u64 length in frames, big-endian
constexpr int64_t kOpenRegionEnd = INT64_MAX;  // a region that holds every later position

// The region's length field (as stored; a length above the open end reads as the open end).
int64_t RegionLength(const uint8_t* region);
void SetRegionLength(uint8_t* region, int64_t frames);

// Whole records in the list (a trailing partial record is not counted).
int32_t CountAudioRegions(Handle regionList);
// The index of the region that plays at position, with its cumulative start and end; -1 at or
// beyond the end of the last region (start and end then hold the last region's start and the
// total length) or for an empty list (both 0). Sums that would pass the open end stop there.
int32_t FindRegionAtPosition(int64_t position, int64_t* start, int64_t* end, Handle regionList);
