// Interim: the audio and movie services of a track that the song model calls. No audio
// files or movies are attached yet.
#pragma once

#include "platform/memory/mac_types.h"

// Disposes the current track's media (movie and audio files in use).
void DisposeTrackMedia();
// True when audio overviews can be shown and the current track's audio record is ready.
bool IsTrackAudioReady();
// True when the program shows audio (and region lists take part in time conversions).
bool IsAudioShown();
// The sample rate kept in a region list, 0 when it has none.
float GetRegionListRate(Handle regions);
// True when a region list has regions in use.
bool RegionListHasRegions(Handle regions);
// The end of the active region list in ticks (0 without regions).
uint32_t GetRegionListEnd(Handle regions);
