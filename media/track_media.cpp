#include "media/track_media.h"

// Interim: no media is ever attached, so there is nothing to dispose.
void DisposeTrackMedia() {}

// Interim: no audio records exist yet.
bool IsTrackAudioReady() { return false; }

// Interim: audio is not shown until the audio engine exists.
bool IsAudioShown() { return false; }

// Interim: region lists carry no rate yet.
float GetRegionListRate(Handle) { return 0.0f; }

// Interim: region lists hold no regions yet.
bool RegionListHasRegions(Handle) { return false; }

// Interim: region lists hold no regions yet.
uint32_t GetRegionListEnd(Handle) { return 0; }
