// Opening and closing gaps inside relocatable blocks (song blocks and event lists).
#pragma once

#include "platform/memory/mac_types.h"

// Grows h by n bytes (with the memory reserve) and moves the tail up from offset; the gap is
// cleared. A failure is reported unless quiet and leaves the block as it was.
OSErr InsertHandleBytes(Handle h, int32_t offset, int32_t n, bool quiet);
// Moves the tail down over n bytes at offset and shrinks the handle.
OSErr DeleteHandleBytes(Handle h, int32_t offset, int32_t n);
// Shrinks h by n bytes (0 leaves it).
void ShrinkHandle(Handle h, int32_t n);
