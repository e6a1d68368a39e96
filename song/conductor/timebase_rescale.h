// Rescaling one song (the current one) from another resolution to gTicksPerQuarter.
#pragma once

#include <cstdint>

// The conductor map (record ticks, meters), the header's tick-1 meter, end ticks and locate
// positions, the markers, every track's events and length, and the display shift. The
// song must be the current song.
void RescaleSongFrom(uint8_t* song, int32_t oldResolution);
