// The audio region record: one 256-byte big-endian record of a track's region list, stored
// raw in song documents. A region list is a block of consecutive records (count = size / 256)
// played one after another from the track's start. This is the one table of the record's
// offsets: the document reader, the engine's streaming, the list edits and the media code
// all read the record through it.
//
//   +0   u32 start tick (kept for tempo follow, else 0)   +4 u32 samples between that tick's
//        position and the region's true start
//   +8   u32 length in frames (the short form; older documents kept only this one)
//   +12  u32 byte position of the region's first frame in its file
//   +16  u32 byte length (frames x bytes per frame; 0 for silence)
//   +20  i32 next-region step (1 plays on; -n jumps back n records at the end of a loop span)
//   +24  f32 sample rate   +28 u8 sample size   +29 u8 bytes per frame   +30 u16 channels
//   +32  u32 reserved word (cleared by normalising)   +36 u32 state word (1 for a new region)
//   +40  f32 loop tempo (valid with flag 0x0100)
//   +60  u16 index of the file's entry in the song's referenced-file table
//   +62  u16 flags (below)   +64 u32 frames the file can still deliver from the region's start
//   +68  u32 alias handle of the region's file while it waits to be registered
//   +72  Str31 name   +104 u16 file id copied from the file's entry
//   +128 u64 length in frames (above 0x7FFFFFFF:FFFFFFFF reads as the open end)
//   +136 u32 the block that holds the region's bytes while the engine keeps it in memory
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kRegionSize = 256;
constexpr int32_t kRegionStartTickAt = 0;
constexpr int32_t kRegionTickRemainderAt = 4;
constexpr int32_t kRegionShortLengthAt = 8;
constexpr int32_t kRegionFileOffsetAt = 12;
constexpr int32_t kRegionByteLengthAt = 16;
constexpr int32_t kRegionStepAt = 20;
constexpr int32_t kRegionRateAt = 24;
constexpr int32_t kRegionSampleSizeAt = 28;
constexpr int32_t kRegionBytesPerFrameAt = 29;
constexpr int32_t kRegionChannelsAt = 30;
constexpr int32_t kRegionReservedAt = 32;
constexpr int32_t kRegionStateAt = 36;
constexpr int32_t kRegionLoopTempoAt = 40;
constexpr int32_t kRegionFileIndexAt = 60;
constexpr int32_t kRegionFlagsAt = 62;
constexpr int32_t kRegionAvailableAt = 64;
constexpr int32_t kRegionAliasAt = 68;
constexpr int32_t kRegionNameAt = 72;
constexpr int32_t kRegionNameMax = 31;
constexpr int32_t kRegionFileIdAt = 104;
constexpr int32_t kRegionLengthAt = 128;
constexpr int32_t kRegionMemoryBlockAt = 136;

enum : uint16_t {
  kRegionFlagSelected = 0x0001,
  kRegionFlagSilent = 0x0002,
  kRegionFlagCopy = 0x0004,      // never deletes or releases its file
  kRegionFlagOwnsFile = 0x0008,  // a take: its file goes with the track's audio
  kRegionFlagMissing = 0x0010,   // plays as silence
  kRegionFlagSelectMark = 0x0020,
  kRegionFlagInMemory = 0x0040,
  kRegionFlagLengthFixed = 0x0100,
};

constexpr int64_t kOpenRegionEnd = INT64_MAX;  // a region that holds every later position
constexpr int64_t kMaxSilentRegion = 0x3FFFFFFF;  // frames of one silent filler record
constexpr int64_t kMaxMergedRegion = 0x3FFFFFFE;  // normalising merges up to this length

// The region's length field (as stored; a length above the open end reads as the open end).
int64_t RegionLength(const uint8_t* region);
void SetRegionLength(uint8_t* region, int64_t frames);
inline uint16_t RegionFlags(const uint8_t* region) {
  return uint16_t(region[kRegionFlagsAt] << 8 | region[kRegionFlagsAt + 1]);
}
inline bool IsSilentRegion(const uint8_t* region) { return (RegionFlags(region) & kRegionFlagSilent) != 0; }

// Whole records in the list (a trailing partial record is not counted).
int32_t CountAudioRegions(Handle regionList);
// Record i of a list (the list must hold it; the address moves when the list grows).
uint8_t* RegionRecord(Handle regionList, int32_t i);

// True when a record of [first, end) without the silence flag has a non-zero length.
bool HasAudibleRegionInRange(Handle regionList, int32_t first, int32_t end);
bool HasAudibleRegions(Handle regionList);
