// The basic types every part of the program shares: result codes, four-character
// codes, Pascal strings, points and rectangles, and the 32-bit handle.
#pragma once

#include <cstddef>
#include <cstdint>

using SInt8 = int8_t;
using UInt8 = uint8_t;
using SInt16 = int16_t;
using UInt16 = uint16_t;
using SInt32 = int32_t;
using UInt32 = uint32_t;
using SInt64 = int64_t;
using UInt64 = uint64_t;
using Boolean = bool;
using OSErr = int16_t;
using OSStatus = int32_t;
using OSType = uint32_t;
using ResType = uint32_t;
using FourCharCode = uint32_t;
using Size = int32_t;
using Ptr = char*;
using ByteCount = uint32_t;
using ItemCount = uint32_t;
using UniChar = uint16_t;

// Builds a four-character code from its text: FOUR_CC("STR#").
constexpr OSType FourCC(const char (&s)[5]) {
  return (OSType(uint8_t(s[0])) << 24) | (OSType(uint8_t(s[1])) << 16) |
         (OSType(uint8_t(s[2])) << 8) | OSType(uint8_t(s[3]));
}

// Pascal strings: a length byte followed by Mac Roman bytes.
using Str255 = unsigned char[256];
using Str63 = unsigned char[64];
using Str32 = unsigned char[33];
using Str31 = unsigned char[32];
using Str27 = unsigned char[28];
using Str15 = unsigned char[16];
using StringPtr = unsigned char*;
using ConstStringPtr = const unsigned char*;
using ConstStr255Param = const unsigned char*;
using ConstStr63Param = const unsigned char*;
using ConstStr31Param = const unsigned char*;

struct Point {
  int16_t v = 0;
  int16_t h = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int16_t top = 0;
  int16_t left = 0;
  int16_t bottom = 0;
  int16_t right = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A relocatable block, named by a 32-bit id that can be stored inside records.
// *h gives the block's current address (null for a bad or disposed handle).
struct Handle {
  uint32_t id = 0;
  constexpr Handle() = default;
  constexpr Handle(std::nullptr_t) {}
  constexpr explicit Handle(uint32_t value) : id(value) {}
  char* operator*() const;
  constexpr explicit operator bool() const { return id != 0; }
  friend constexpr bool operator==(Handle, Handle) = default;
  friend constexpr bool operator==(Handle a, std::nullptr_t) { return a.id == 0; }
};

// Result codes shared across the platform layer.
enum : OSErr {
  noErr = 0,
  paramErr = -50,
  unimpErr = -4,
  userCanceledErr = -128,
  memFullErr = -108,
  nilHandleErr = -109,
  memWZErr = -111,
  memPurErr = -112,
  memLockedErr = -117,
};
