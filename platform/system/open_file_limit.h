// The process's limit on open files.
#pragma once

#include "platform/memory/mac_types.h"

// The current soft limit on open files, or 0 when it cannot be read. An unlimited soft
// limit reads as UINT64_MAX.
uint64_t GetOpenFileLimit();
// Raises the soft limit to exactly `wanted` when it is below that; a limit already at or
// above it is left alone. Returns 0, or the errno of the getrlimit or setrlimit call that
// failed (for example EINVAL when the hard limit is lower than `wanted`).
int RaiseOpenFileLimit(uint64_t wanted);
