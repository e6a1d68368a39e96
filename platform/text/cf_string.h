// CFString: immutable and mutable Unicode strings held as UTF-16 units.
#pragma once

#include <cstdarg>
#include <string>

#include "platform/text/cf_base.h"

struct CFStringObject;
using CFStringRef = const CFStringObject*;
using CFMutableStringRef = CFStringObject*;

using CFStringEncoding = UInt32;
enum : CFStringEncoding {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingWindowsLatin1 = 0x0500,
  kCFStringEncodingISOLatin1 = 0x0201,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUnicode = 0x0100,
  kCFStringEncodingUTF8 = 0x08000100,
  kCFStringEncodingInvalidId = 0xffffffffU,
};

enum : CFOptionFlags {
  kCFCompareCaseInsensitive = 1,
  kCFCompareBackwards = 4,
  kCFCompareAnchored = 8,
  kCFCompareNonliteral = 16,
  kCFCompareNumerically = 64,
};

// The encoding of Pascal strings in this program: Mac Roman.
CFStringEncoding CFStringGetSystemEncoding();
Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding);
CFTypeID CFStringGetTypeID();

// Constant strings: CFSTR("text") (UTF-8 source text) answers an immortal string, the same
// object for the same text; retain and release do nothing to it.
CFStringRef CFStringMakeConstantString(const char* utf8);
#define CFSTR(literal) \
  ([]() -> CFStringRef { static const CFStringRef s = CFStringMakeConstantString("" literal ""); return s; }())

// Creation answers null for an unknown encoding or bytes that are not valid in it
// (malformed UTF-8, bytes above 0x7F in ASCII).
CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars, CFIndex numChars);
CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef str);
// printf-style formatting of C-string arguments (no %@).
CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, const void* formatOptions, CFStringRef format, ...);

// Length in UTF-16 units.
CFIndex CFStringGetLength(CFStringRef str);
UniChar CFStringGetCharacterAtIndex(CFStringRef str, CFIndex idx);
// Copies the units of range (clipped to the string) into buffer.
void CFStringGetCharacters(CFStringRef str, CFRange range, UniChar* buffer);
// Pascal (C) string in the encoding. False, with the text cut to fit and unmappable
// characters as '?', when the whole string does not fit or is not representable;
// a buffer too small for even the length byte (terminator) is left untouched.
Boolean CFStringGetPascalString(CFStringRef str, StringPtr buffer, CFIndex bufferSize, CFStringEncoding encoding);
Boolean CFStringGetCString(CFStringRef str, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// Largest byte count numChars units can need in the encoding.
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex numChars, CFStringEncoding encoding);

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength);
CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength, CFStringRef str);
// Appends; a mutable string made with a maxLength stops growing at that many units.
void CFStringAppend(CFMutableStringRef str, CFStringRef appended);
void CFStringAppendCharacters(CFMutableStringRef str, const UniChar* chars, CFIndex numChars);
void CFStringAppendPascalString(CFMutableStringRef str, ConstStr255Param pStr, CFStringEncoding encoding);
void CFStringAppendCString(CFMutableStringRef str, const char* cStr, CFStringEncoding encoding);
void CFStringAppendFormat(CFMutableStringRef str, const void* formatOptions, CFStringRef format, ...);
void CFStringDelete(CFMutableStringRef str, CFRange range);
void CFStringUppercase(CFMutableStringRef str, const void* locale);

// Compares by code point; kCFCompareCaseInsensitive compares case-folded text.
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options);
// Range of the first occurrence of find in str (location -1 when absent).
CFRange CFStringFind(CFStringRef str, CFStringRef find, CFOptionFlags options);

// The text as UTF-8 (empty for null), for code at the host edges.
std::string CFStringToUTF8(CFStringRef str);
CFStringRef CFStringCreateWithUTF8(const std::string& utf8);
