// The resource fork format, over bytes: a 256-byte header, the data area (each resource a
// 32-bit length and its bytes), and the map (a copy of the header, the type list, the
// reference lists and the name list). Every field is big-endian.
//
//   header  +0 data offset, +4 map offset, +8 data length, +12 map length (u32 each)
//   map     +0 header copy (16), +16 next map (4), +20 file refnum (2), +22 attributes (2),
//           +24 offset of the type list, +26 offset of the name list (u16, from the map)
//   types   count - 1 (i16), then {type (4), count - 1 (2), offset of its reference list
//           from the type list (2)} per type
//   refs    {id (i16), name offset from the name list (i16, -1 none), attributes (u8),
//           data offset from the data area (24 bits), reserved (4)} per resource
//   names   Pascal strings
//
// ParseResourceMap trusts nothing in the bytes: every offset, count and length is checked
// before it is followed, and a fork that lies is refused whole.
#pragma once

#include <string>
#include <vector>

#include "platform/memory/mac_types.h"

// Resource Manager result codes. The File Manager codes it also returns (eofErr -39,
// fnfErr -43, dupFNErr -48, wrPermErr -61) belong to platform/files; kResEofErr and its
// companions name the same values for the code here.
constexpr OSErr kResEofErr = -39;
constexpr OSErr kResFnfErr = -43;
constexpr OSErr kResDupFNErr = -48;
constexpr OSErr kResWrPermErr = -61;
enum : OSErr {
  resNotFound = -192,
  resFNotFound = -193,
  addResFailed = -194,
  rmvResFailed = -196,
  resAttrErr = -198,
  mapReadErr = -199,
};

// Resource attributes (the byte before each data offset).
enum : UInt8 {
  resSysHeap = 64,
  resPurgeable = 32,
  resLocked = 16,
  resProtected = 8,
  resPreload = 4,
  resChanged = 2,
};

// Resource file attributes (the map's attribute word).
enum : UInt16 {
  mapReadOnly = 128,
  mapCompact = 64,
  mapChanged = 32,
};

constexpr size_t kResourceForkHeaderSize = 256;
constexpr size_t kResourceMapHeaderSize = 28;
constexpr size_t kResourceTypeEntrySize = 8;
constexpr size_t kResourceRefEntrySize = 12;
constexpr uint32_t kResourceMaxDataOffset = 0xFFFFFF;

// One resource as it lies in a fork: its map entry and its data.
struct ResourceRecord {
  ResType type = 0;
  SInt16 id = 0;
  bool hasName = false;
  std::string name;  // Mac Roman bytes, at most 255
  UInt8 attributes = 0;
  std::string data;
};

// A whole fork: the map's attribute word and the resources, grouped by type in the
// order of the type list.
struct ResourceForkImage {
  UInt16 fileAttributes = 0;
  std::vector<ResourceRecord> resources;
};

// Reads a fork image. Results: noErr; kResEofErr (-39) when the fork is empty or shorter than its
// header says (truncated); mapReadErr when the map or the data area contradicts itself
// (offsets outside their area, counts that do not fit, names outside the name list,
// data lengths past the data area, resources sharing data bytes). On an error *image is
// left empty.
OSErr ParseResourceMap(const std::string& bytes, ResourceForkImage* image);

// Writes a fork image: header, data in resource order, map with types in order of first
// appearance. Returns addResFailed when the resources do not fit the format (data area
// beyond 24-bit offsets, map beyond 16-bit offsets, a name longer than 255 bytes).
OSErr SerializeResourceFork(const ResourceForkImage& image, std::string* bytes);

// The bytes of a fork without any resource: header and an empty map.
std::string EmptyResourceFork();
