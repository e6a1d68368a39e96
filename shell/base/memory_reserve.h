// Allocation with a memory reserve: growing blocks are refused with memFullErr (-108)
// unless the largest free block would still hold more than gMemoryReserve afterwards.
#pragma once

#include "platform/memory/mac_types.h"

extern uint32_t gMemoryReserve;
extern OSErr gLastMemError;

// Start-up sets 16 KB before the windows are made and adds 16 KB after.
constexpr uint32_t kInitialMemoryReserve = 0x4000;

Handle NewHandleClearWithReserve(Size size);
OSErr SetHandleSizeWithReserve(Handle h, Size newSize);
OSErr DuplicateHandleWithReserve(Handle h, Handle* copy);
// No reserve test; a failure is reported to the user.
Handle NewHandleClearOrReport(Size size);
// Disposes *h (when set) and clears the variable; returns the last status looked at.
OSErr DisposeHandleAndClear(Handle* h);
// MoveHHi then HLock.
void LockHandleHigh(Handle h);
