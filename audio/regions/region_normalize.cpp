// Normalising a region list: continuing records merged, empty ones and trailing silence
// dropped, the last region selected.
#include <cstring>

#include "audio/regions/region_lists.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/audio_region.h"

namespace {

bool SameName(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + kRegionNameAt, b + kRegionNameAt, size_t(a[kRegionNameAt]) + 1) == 0;
}

// Whether `region` plays on where `previous` ends: both silence, or the same file's next
// bytes under the same name.
bool ContinuesRegion(const uint8_t* previous, const uint8_t* region) {
  bool silent = IsSilentRegion(previous);
  if (silent || IsSilentRegion(region)) return silent && IsSilentRegion(region);
  return ReadU16BE(previous + kRegionFileIdAt) == ReadU16BE(region + kRegionFileIdAt) &&
         ReadU16BE(previous + kRegionFileIndexAt) == ReadU16BE(region + kRegionFileIndexAt) &&
         ReadU32BE(previous + kRegionFileOffsetAt) + ReadU32BE(previous + kRegionByteLengthAt) ==
             ReadU32BE(region + kRegionFileOffsetAt) &&
         SameName(previous, region);
}

void AddU32(uint8_t* to, const uint8_t* from, int32_t at) {
  WriteU32BE(to + at, ReadU32BE(to + at) + ReadU32BE(from + at));
}

// Merges record i into record i - 1 when it continues it and the sum stays within the limit.
bool MergeIntoPrevious(Handle list, int32_t i) {
  uint8_t* previous = RegionRecord(list, i - 1);
  uint8_t* region = RegionRecord(list, i);
  int64_t sum = RegionLength(previous) + RegionLength(region);
  if (!ContinuesRegion(previous, region) || RegionLength(region) > kMaxMergedRegion || sum > kMaxMergedRegion)
    return false;
  uint16_t owned = RegionFlags(region) & kRegionFlagOwnsFile;
  SetRegionLength(previous, sum);
  WriteU32BE(previous + kRegionShortLengthAt, uint32_t(sum));
  AddU32(previous, region, kRegionByteLengthAt);
  AddU32(previous, region, kRegionAvailableAt);
  // A take's ownership of its file stays with the record that remains.
  if (owned && !(RegionFlags(region) & kRegionFlagCopy))
    WriteU16BE(previous + kRegionFlagsAt, uint16_t((RegionFlags(previous) | owned) & ~kRegionFlagCopy));
  DeleteRegionRecords(list, i, i + 1);
  return true;
}

void DropTrailingSilence(Handle list, bool disposeWhenEmpty) {
  int32_t count = CountAudioRegions(list);
  int32_t keep = count;
  while (keep > 0 && IsSilentRegion(RegionRecord(list, keep - 1))) --keep;
  if (!disposeWhenEmpty && keep < count) ++keep;
  DeleteRegionRecords(list, keep, count);
}

}  // namespace

Handle NormalizeRegionList(Handle list, bool disposeWhenEmpty) {
  if (!list) return list;
  for (int32_t i = 0; i < CountAudioRegions(list);) {
    uint8_t* region = RegionRecord(list, i);
    WriteI32BE(region + kRegionStepAt, 1);
    WriteU32BE(region + kRegionReservedAt, 0);
    if (RegionLength(region) == 0) {
      DeleteRegionRecords(list, i, i + 1);
    } else if (i == 0 || !MergeIntoPrevious(list, i)) {
      ++i;
    }
  }
  DropTrailingSilence(list, disposeWhenEmpty);
  if (disposeWhenEmpty && CountAudioRegions(list) == 0) {
    DisposeHandle(list);
    return Handle();
  }
  SelectRegion(list, -1);
  return list;
}
