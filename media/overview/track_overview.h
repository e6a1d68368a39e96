// The waveform overview of the current audio track, drawn into the current port between two
// ticks at a zoom level (the audio panes of the main editor, the lanes' backdrops).
#pragma once

#include <cstdint>

// Makes sure the current track's overview exists or is being computed (EnsureTrackOverview).
// Interim: the waveform itself is not drawn yet.
void DrawTrackOverview(int32_t leftTick, int32_t rightTick, int16_t zoom, int16_t flags, int32_t region);
