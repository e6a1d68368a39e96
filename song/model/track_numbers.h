// Track numbers 0..47 and the map from number to entry index.
#pragma once

#include <cstdint>

constexpr uint8_t kFreeTrackNumber = 48;  // map value of a free number ('0')

extern uint8_t gTrackNumberMap[256];
extern int32_t gCurrentTrackNumber;

void RebuildTrackNumberMap();
// Non-zero when the song is locked or the current entry index is above 47.
int32_t ClaimTrackNumber();
void RepairTrackNumber();
// The first free number (also left in gCurrentTrackNumber), or -1 when all 48 are taken.
int32_t FindFreeTrackNumber();
int32_t GetTrackNumberCount(int32_t flag);
