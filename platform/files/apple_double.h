// The AppleDouble (version 2) sidecar format, as a pure function over bytes.
//
//   +0  magic 0x00051607 (u32)      +4  version 0x00020000 (u32)      +8  filler (16 bytes)
//   +24 entry count (u16)           +26 entries: {id (u32), offset (u32), length (u32)}
//
// Entry 9 is the Finder info (32 bytes: FInfo then FXInfo), entry 2 the resource fork.
// Other entries are kept as they are, so that rewriting a sidecar loses nothing.
#pragma once

#include <string>
#include <vector>

#include "platform/files/file_types.h"

constexpr UInt32 kAppleDoubleMagic = 0x00051607;
constexpr UInt32 kAppleDoubleVersion = 0x00020000;
constexpr size_t kAppleDoubleHeaderSize = 26;
constexpr size_t kAppleDoubleEntrySize = 12;
constexpr UInt32 kAppleDoubleResourceForkID = 2;
constexpr UInt32 kAppleDoubleFinderInfoID = 9;
constexpr size_t kFinderInfoSize = 32;

struct AppleDoubleEntry {
  UInt32 id = 0;
  std::string bytes;
};

struct AppleDoubleInfo {
  bool hasFinderInfo = false;
  FInfo finderInfo;
  FXInfo extFinderInfo;
  std::string finderInfoTail;  // bytes of entry 9 beyond its 32 (kept, never read)
  bool hasResourceFork = false;
  std::string resourceFork;
  std::vector<AppleDoubleEntry> otherEntries;
};

// Reads a sidecar. ioErr (info untouched) when the bytes are not a version 2 AppleDouble
// header, the entry table does not fit, an entry lies outside the bytes, or entry 2 or 9
// appears twice. A Finder info entry shorter than 32 bytes is padded with zeros.
OSErr ParseAppleDouble(const std::string& bytes, AppleDoubleInfo* info);
// Writes a sidecar: Finder info first (when present), then the resource fork, then the
// other entries. Inverse of ParseAppleDouble.
std::string BuildAppleDouble(const AppleDoubleInfo& info);

// The 32-byte Finder info image (big-endian) and back.
void WriteFinderInfoBytes(const FInfo& finfo, const FXInfo& fxinfo, UInt8* out32);
void ReadFinderInfoBytes(const UInt8* in32, FInfo* finfo, FXInfo* fxinfo);
