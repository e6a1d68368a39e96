#include "song/model/region_lists.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/conductor/sample_position.h"
#include "song/instruments/plugin_records.h"
#include "song/model/audio_region.h"

namespace {

constexpr int32_t kRecordFixedRateAt = 82;  // the rate as 16.16, what older documents kept

const uint8_t* RecordBytes(Handle record) {
  if (!record || GetHandleSize(record) < kPluginRecordBytes) return nullptr;
  return reinterpret_cast<const uint8_t*>(HandleData(record));
}

Handle RecordRegions(Handle record) {
  const uint8_t* p = RecordBytes(record);
  return p ? Handle(ReadU32BE(p + kPluginRecordRegions)) : Handle();
}

// The frames of every record of the list, held at the open end.
int64_t ListFrames(Handle regions) {
  int64_t frames = 0;
  for (int32_t i = 0, n = CountAudioRegions(regions); i < n; ++i)
    frames = std::min(kOpenRegionEnd - 1, frames + RegionLength(RegionRecord(regions, i)));
  return frames;
}

}  // namespace

float GetRegionListRate(Handle record) {
  const uint8_t* p = RecordBytes(record);
  if (!p) return 0.0f;
  float rate = ReadF32BE(p + kPluginRecordRate);
  if (rate > 0) return rate;
  uint32_t fixed = ReadU32BE(p + kRecordFixedRateAt);
  return fixed ? float(fixed / 65536.0) : 0.0f;
}

bool RegionListHasRegions(Handle record) { return CountAudioRegions(RecordRegions(record)) > 0; }

uint32_t GetRegionListEnd(Handle record) {
  Handle regions = RecordRegions(record);
  float rate = GetRegionListRate(record);
  int64_t frames = ListFrames(regions);
  if (frames <= 0 || !(rate > 0)) return 0;
  // The first tick whose position lies at or after the end of the audio.
  int64_t tick = std::min<int64_t>(SamplePositionToTick(frames, rate), INT32_MAX);
  while (tick < INT32_MAX && TickToSamplePosition(int32_t(tick), rate) < frames) ++tick;
  while (tick > 1 && TickToSamplePosition(int32_t(tick - 1), rate) >= frames) --tick;
  return uint32_t(tick);
}
