// Resetting the whole song database, and compacting memory over all songs.
#pragma once

#include "platform/memory/mac_types.h"

constexpr Size kFirstSongBlockSize = 668;
constexpr int32_t kNewDocumentSongSlots = 32;

void ResetSongDatabase();
void CompactSongMemory(Size size);
