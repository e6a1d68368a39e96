#include "audio/render/block_conversions.h"

#include <algorithm>

namespace {

template <typename Sample>
void ReverseFramesOf(Sample* samples, int32_t frames, int32_t channels) {
  for (int32_t a = 0, b = frames - 1; a < b; ++a, --b)
    std::swap_ranges(samples + a * channels, samples + (a + 1) * channels, samples + b * channels);
}

}  // namespace

void ReverseFrames(void* buffer, int32_t frames, int32_t channels, int16_t bits) {
  if (!buffer || frames < 2 || channels < 1) return;
  if (bits > 16) ReverseFramesOf(static_cast<uint32_t*>(buffer), frames, channels);
  else ReverseFramesOf(static_cast<uint16_t*>(buffer), frames, channels);
}

void ConvertIntegerToFloat(const void*, float*, int32_t, int32_t, int16_t, bool) {}
void ConvertSwappedToFloat(const void*, float*, int32_t, int32_t, int16_t, bool) {}
int16_t ConvertBlockTo16(EngineChannel*, const void*, void*, bool, int32_t) { return -4; }
int16_t ConvertChannelBlock(EngineChannel*, int32_t, void*, bool) { return -4; }
