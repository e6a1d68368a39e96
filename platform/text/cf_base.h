// Reference-counted objects in the CoreFoundation manner: strings, data, file URLs and
// bundles behind opaque pointers. They live in memory only and are never stored in records.
// Create/Copy functions hand the caller one reference (release it with CFRelease); Get
// functions do not. Objects may be retained and released from any thread.
#pragma once

#include "platform/memory/mac_types.h"

using CFIndex = long;
using CFOptionFlags = unsigned long;
using CFTypeID = unsigned long;
using CFHashCode = unsigned long;

using CFTypeRef = const void*;
struct CFAllocatorObject;
using CFAllocatorRef = const CFAllocatorObject*;
// Only the default allocator exists; every allocator argument is ignored.
inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

struct CFRange {
  CFIndex location = 0;
  CFIndex length = 0;
};
inline CFRange CFRangeMake(CFIndex location, CFIndex length) { return CFRange{location, length}; }

enum CFComparisonResult : CFIndex {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1,
};

enum : CFTypeID {
  kCFNotATypeID = 0,
  kCFStringTypeID = 7,
  kCFArrayTypeID = 19,
  kCFDataTypeID = 20,
  kCFURLTypeID = 29,
  kCFBundleTypeID = 31,
};

// Result code for a failed CoreFoundation step.
constexpr OSStatus coreFoundationUnknownErr = -4960;

// Null-safe: CFRetain(null) and CFRelease(null) do nothing (and CFRetain answers null).
// Constant objects (CFSTR) ignore both.
CFTypeRef CFRetain(CFTypeRef obj);
void CFRelease(CFTypeRef obj);
CFIndex CFGetRetainCount(CFTypeRef obj);
CFTypeID CFGetTypeID(CFTypeRef obj);
// Equal type and contents (strings: same characters; data: same bytes; URLs: same path).
Boolean CFEqual(CFTypeRef a, CFTypeRef b);
// Writes one line to standard error: a string's text, else a short description.
void CFShow(CFTypeRef obj);

// Number of CF objects alive (constants excluded), for leak checks in tests.
long CFLiveObjectCount();
