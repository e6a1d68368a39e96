#include "editors/waveforms/waveform_lanes.h"

#include <algorithm>

#include "editors/timeline/timeline_axis.h"

WaveLane ChannelLane(const Rect& r, int32_t channel, int32_t channels) {
  WaveLane lane;
  int16_t height = int16_t(r.bottom - r.top);
  lane.height = channels > 1 ? int16_t(height / channels) : height;
  lane.top = int16_t(r.top + lane.height * channel);
  lane.left = r.left;
  lane.right = r.right;
  return lane;
}

int16_t OverviewValueToY(const WaveLane& lane, int32_t value) {
  int32_t h = std::max(lane.height - 2, 0);
  return int16_t(lane.top + ((value * h + 128) >> 8));
}

int16_t SampleFloatToY(const WaveLane& lane, float sample) {
  float h = float(std::max(lane.height - 2, 0));
  float x = std::clamp(sample, -1.0f, 1.0f);
  return int16_t(lane.top + int32_t((x * h + h) * 0.5f));
}

int16_t SampleValueToY(const WaveLane& lane, int64_t value, int64_t fullScale) {
  int64_t h = std::max(lane.height - 2, 0);
  if (fullScale <= 0) return lane.top;
  return int16_t(lane.top + std::clamp<int64_t>(value, 0, fullScale) * h / fullScale);
}

int16_t TickColumn(int32_t tick, int32_t leftTick, int16_t shift, int16_t left) {
  int64_t d = int64_t(tick) - leftTick;
  int64_t x = (d >> std::min<int16_t>(shift, 62)) + left;
  return ClampToQDRange(x);
}
