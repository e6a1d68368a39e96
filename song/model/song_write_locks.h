// Locking a song's handles before it is written and unlocking them after: the song, its
// tracks' lists, the child sequences, the conductor map and the clock's lookup tables.
#pragma once

#include <cstdint>

struct TrackUnlockOptions {
  uint8_t keep = 0;  // carry the section list's fourth word into the track
};

// Offset of the section list's fourth word, which a write's unlock clears.
constexpr int32_t kSectionListFourthWord = 12;

void LockSongHandlesForWrite();
void UnlockSongHandlesAfterWrite(const TrackUnlockOptions* options);
int32_t LockTrackHandles(void* arg);
int32_t UnlockTrackHandles(void* options);
void LockConductorHandle();
void UnlockConductorHandle();
