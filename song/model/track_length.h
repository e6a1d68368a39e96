// Track lengths and the song end.
#pragma once

#include <cstdint>

uint32_t GetTrackLength();
void StoreTrackLength(uint32_t t);
void SetTrackLength(uint32_t t);
void ClearTrackLengthFlag();
void TrackLengthAtLeast(uint32_t t);
void UpdateSongEnd();
void SetSongEndTick(uint32_t t);
void ComputeTrackEnd();
void UpdateTrackEnd(uint32_t t);
// The loop flag (bit 0x40 of the flag byte) of the current song's longest track (the first of
// the longest); false without tracks. A song whose longest track loops plays on past its end.
bool TestLongestTrackFlag();
