// Atomic words under their Driver Services names, over the caller's own memory. Every call is a
// full barrier (sequentially consistent). Words must be naturally aligned (4 bytes for the 32-bit
// calls); a null address does nothing and reports failure (false, 0).
#pragma once

#include "platform/memory/mac_types.h"

// Stores newValue into *oldValuePtr when it holds oldValue; true when it did.
Boolean CompareAndSwap(UInt32 oldValue, UInt32 newValue, UInt32* oldValuePtr);

// Each returns the value the word held before the change; the arithmetic wraps.
SInt32 IncrementAtomic(SInt32* value);
SInt32 DecrementAtomic(SInt32* value);
SInt32 AddAtomic(SInt32 amount, SInt32* value);
UInt32 BitAndAtomic(UInt32 mask, UInt32* value);
UInt32 BitOrAtomic(UInt32 mask, UInt32* value);
UInt32 BitXorAtomic(UInt32 mask, UInt32* value);

// Bit numbers count from the high bit of the first byte: bit 0 is 0x80 of startAddress[0],
// bit 7 is 0x01 of it, bit 8 is 0x80 of startAddress[1]. Both return whether the bit was set
// before the call.
Boolean TestAndSet(UInt32 bit, void* startAddress);
Boolean TestAndClear(UInt32 bit, void* startAddress);
