// Overview cache files (".OVV", file type 'MDAV'): a track's overview chain, block after block
// in chain order, each as a u32 size (80 + 2 x entries) and the block's bytes as held in
// memory. A stored next-block word is only a mark that another block follows. No other
// header, version or checksum.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

constexpr OSType kOverviewFileType = FourCC("MDAV");
constexpr char kOverviewFileExtension[] = ".OVV";
// A cache that does not describe the track's overview (a block too short, a count beyond its
// entries, another channel count, fewer blocks than channels).
constexpr OSErr kOverviewFileDamaged = -39;

// Writes the chain as a new file (an existing one is replaced only once all is written).
OSErr WriteOverviewFile(const FSSpec* spec, Handle chain);
// Reads a cache for an overview of channels channels: 0 and the chain (one block per channel,
// its scan caches cleared), or the file layer's error, or kOverviewFileDamaged. Nothing stays
// allocated and the file is closed on every path.
OSErr ReadOverviewFile(const FSSpec* spec, int16_t channels, Handle* chain);
