// CFArray: an immutable list of values. With kCFTypeArrayCallBacks the values are CF objects
// that the array retains and releases; with null callbacks they are plain pointers that their
// owner keeps alive for as long as the array is used.
#pragma once

#include "platform/text/cf_base.h"

struct CFArrayObject;
using CFArrayRef = const CFArrayObject*;

struct CFArrayCallBacks {
  CFIndex version = 0;
  const void* (*retain)(CFAllocatorRef alloc, const void* value) = nullptr;
  void (*release)(CFAllocatorRef alloc, const void* value) = nullptr;
};
extern const CFArrayCallBacks kCFTypeArrayCallBacks;

CFTypeID CFArrayGetTypeID();
// Copies count values (count < 0, or values null with count > 0, answer null).
CFArrayRef CFArrayCreate(CFAllocatorRef alloc, const void** values, CFIndex count,
                         const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef array);
// The value at index, or null when index is outside the array.
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);
