// The song-handle slot table's size and its copy in the sequencer clock.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Resizes gSongHandles to n slots (4 bytes a slot); new slots are empty. Returns the memory
// error (the table keeps its old size on failure).
OSErr SetSongSlotCount(int32_t n);
// Stores the song table and its first song in the transport clock.
void CacheSongListInClock();
