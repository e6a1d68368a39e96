#include "audio/engine/region_lookup.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

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
