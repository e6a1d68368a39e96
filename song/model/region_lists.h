// Region lists: what the song model reads of the audio a track plays, through the track's
// audio record (a handle held by a TrackEntry, whose region list it names).
#pragma once

#include "platform/memory/mac_types.h"

// The sample rate kept in the record (its float rate, else the 16.16 one), 0 when it has none.
float GetRegionListRate(Handle record);
// True when the record's region list holds regions.
bool RegionListHasRegions(Handle record);
// The end of the record's regions in ticks of the current song: the first tick at or after
// the end of their audio (0 without regions or rate).
uint32_t GetRegionListEnd(Handle record);
