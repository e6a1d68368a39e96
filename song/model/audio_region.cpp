#include "song/model/audio_region.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

int64_t RegionLength(const uint8_t* region) {
  uint64_t length = ReadU64BE(region + kRegionLengthAt);
  return length > uint64_t(kOpenRegionEnd) ? kOpenRegionEnd : int64_t(length);
}

void SetRegionLength(uint8_t* region, int64_t frames) { WriteU64BE(region + kRegionLengthAt, uint64_t(frames)); }

int32_t CountAudioRegions(Handle regionList) {
  if (!regionList) return 0;
  return int32_t(GetHandleSize(regionList) / kRegionSize);
}

uint8_t* RegionRecord(Handle regionList, int32_t i) {
  return reinterpret_cast<uint8_t*>(HandleData(regionList)) + size_t(i) * kRegionSize;
}

bool HasAudibleRegionInRange(Handle regionList, int32_t first, int32_t end) {
  end = std::min(end, CountAudioRegions(regionList));
  for (int32_t i = std::max(first, 0); i < end; ++i) {
    const uint8_t* region = RegionRecord(regionList, i);
    if (!IsSilentRegion(region) && RegionLength(region) != 0) return true;
  }
  return false;
}

bool HasAudibleRegions(Handle regionList) {
  return HasAudibleRegionInRange(regionList, 0, CountAudioRegions(regionList));
}
