// Size-prefixed blocks read through the document input (song/documents/document_input.h) with an upper
// bound of their owner's: a stored count above the bound, or above what is left of the file,
// is refused before anything is allocated, and the first error sticks.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// A stored count that is larger than its owner allows.
constexpr OSErr kBlockTooLargeErr = -2087;
// A block whose size or contents cannot be what its owner writes.
constexpr OSErr kMalformedBlockErr = -2088;

// Reads a u32 count and that many bytes into a new cleared handle.
OSErr ReadBoundedBlock(Handle* out, uint32_t maxSize);
// ReadBoundedBlock when presence is non-zero; *out null otherwise.
OSErr ReadBoundedPresentBlock(uint32_t presence, Handle* out, uint32_t maxSize);
// Disposes a handle when it names a live block and clears the variable.
void DisposeBlock(Handle* h);
