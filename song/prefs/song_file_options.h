// The song-file option byte: how songs keep their side files.
#pragma once

#include <cstdint>

// Bit 2: forgetting a track's waveform overview forgets its cache file too, so the next save
// writes a new one.
extern uint8_t gSongFileOptions;

bool TestPrefBit2();
