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
