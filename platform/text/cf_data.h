// CFData: an immutable block of bytes.
#pragma once

#include "platform/text/cf_base.h"

struct CFDataObject;
using CFDataRef = const CFDataObject*;

CFTypeID CFDataGetTypeID();
// Copies length bytes (length < 0 or bytes null with length > 0 answer null).
CFDataRef CFDataCreate(CFAllocatorRef alloc, const UInt8* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef data);
// Address of the bytes (valid while the object lives), null for an empty block.
const UInt8* CFDataGetBytePtr(CFDataRef data);
// Copies the bytes of range, clipped to the block.
void CFDataGetBytes(CFDataRef data, CFRange range, UInt8* buffer);
