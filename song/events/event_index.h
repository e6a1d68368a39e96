// The per-track event index that the track overview draws from.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kEventIndexHeader = 10;
constexpr int32_t kEventIndexEntry = 10;
constexpr int32_t kEventIndexInitialSize = 2020;
constexpr int32_t kEventIndexGrowth = 500;
constexpr int32_t kEventIndexSlots = 48;
constexpr uint16_t kIndexClassNote = 0;
constexpr uint16_t kIndexClassSequence = 1;
constexpr uint16_t kIndexClassVariable = 2;
constexpr uint16_t kIndexClassOther = 3;

// The track overview's row height in pixels and the zoom shift it applies to event times;
// the index is kept at the overview's scale, and not kept at all for rows taller than 14.
extern int16_t gOverviewRowHeight;
extern int16_t gOverviewZoomShift;

// One index handle per entry index 0..47 of the current song.
extern Handle gEventIndexes[kEventIndexSlots];

bool IsEventIndexDisabled();
OSErr BuildTrackEventIndex();
void DisposeTrackEventIndex();
void DisposeAllEventIndexes();
OSErr RebuildEventIndexes();
