// The regions of a stream before it plays: a region whose file the song's referenced-file
// table marks missing (or names no entry of it) is flagged missing and plays silence; a short
// region is read into a block in memory once, so its few bytes never cost a disk request
// while the engine plays. Main thread, while the engine is held.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Regions of at most this many bytes are held in memory.
constexpr int64_t kMemoryRegionBytes = 2048;

// Checks each region of the list (silent ones are left alone) and stamps the fork of its
// file into it (the list is a channel's own copy). A region in memory already
// keeps its block; a short region whose file cannot be read stays streamed from disk.
void PrepareStreamRegions(Handle list);
// Frees the memory blocks of the list's regions and clears their flag 0x40.
void ReleaseRegionBlocks(Handle list);
