#include "audio/engine/region_lookup.h"

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

int32_t FindRegionAtPosition(int64_t position, int64_t* start, int64_t* end, Handle regionList) {
  *start = 0;
  *end = 0;
  int32_t count = CountAudioRegions(regionList);
  const uint8_t* regions = count > 0 ? reinterpret_cast<const uint8_t*>(*regionList) : nullptr;
  int64_t regionStart = 0;
  for (int32_t i = 0; i < count; ++i) {
    int64_t length = RegionLength(regions + size_t(i) * kRegionSize);
    int64_t regionEnd = length > kOpenRegionEnd - regionStart ? kOpenRegionEnd : regionStart + length;
    *start = regionStart;
    *end = regionEnd;
    if (regionEnd > position || regionEnd == kOpenRegionEnd) return i;
    regionStart = regionEnd;
  }
  return -1;
}
