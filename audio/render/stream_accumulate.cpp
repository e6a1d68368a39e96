#include "audio/render/stream_accumulate.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/engine_channels.h"

namespace {

constexpr float kQ15 = 1.0f / 32768.0f;
constexpr int32_t kUnityGain = 32768;

int32_t Saturate16(int32_t v) { return std::clamp(v, -32768, 32767); }

// The target's half for this selector, or null when nothing may be summed into it; *frames
// is cut to the target's own block length (its half holds no more).
float* TargetHalf(EngineChannel* target, uint32_t selector, int32_t leftGain, int32_t rightGain, int32_t* frames) {
  if (!target || target->muted || (leftGain == 0 && rightGain == 0)) return nullptr;
  *frames = std::min(*frames, int32_t(target->framesPerBlock));
  return *frames > 0 ? target->mixBuffer[selector & 1] : nullptr;
}

// Sums 16-bit frames (read(f, side) gives the sample) into the target's half.
template <typename Read>
void SumInt16(EngineChannel* target, uint32_t selector, float* half, int32_t frames, int32_t leftGain,
              int32_t rightGain, Read read) {
  uint8_t& written = target->selectorRendered[selector & 1];
  const bool unity = leftGain == kUnityGain && rightGain == kUnityGain;
  const int32_t gains[2] = {leftGain, rightGain};
  for (int32_t f = 0; f < frames; ++f)
    for (int32_t side = 0; side < 2; ++side) {
      int32_t v = read(f, side);
      if (!unity) v = Saturate16(int32_t((int64_t(v) * gains[side]) >> 15));
      if (written) v = Saturate16(v + int32_t(half[2 * f + side] * 32768.0f));
      half[2 * f + side] = float(v) * kQ15;
    }
  written = 1;
}

}  // namespace

void AccumulateInt16(const int16_t* source, EngineChannel* target, uint32_t selector, int32_t frames,
                     int32_t leftGain, int32_t rightGain, int32_t channels) {
  float* half = TargetHalf(target, selector, leftGain, rightGain, &frames);
  if (!half || !source) return;
  const int32_t stride = channels > 1 ? 2 : 1;
  SumInt16(target, selector, half, frames, leftGain, rightGain,
           [=](int32_t f, int32_t side) { return int32_t(source[f * stride + (stride > 1 ? side : 0)]); });
}

void AccumulateHalfInt16(const float* source, EngineChannel* target, uint32_t selector, int32_t frames,
                         int32_t leftGain, int32_t rightGain) {
  float* half = TargetHalf(target, selector, leftGain, rightGain, &frames);
  if (!half || !source) return;
  SumInt16(target, selector, half, frames, leftGain, rightGain,
           [=](int32_t f, int32_t side) { return Saturate16(int32_t(source[2 * f + side] * 32768.0f)); });
}

void AccumulateFloat(const float* source, EngineChannel* target, uint32_t selector, int32_t frames,
                     int32_t leftGain, int32_t rightGain, int32_t channels, float scale) {
  float* half = TargetHalf(target, selector, leftGain, rightGain, &frames);
  if (!half || !source) return;
  uint8_t& written = target->selectorRendered[selector & 1];
  const float gl = float(leftGain) * scale, gr = float(rightGain) * scale;
  const int32_t stride = channels > 1 ? 2 : 1;
  if (!written && gl == gr && gl == 1.0f && stride == 2) {
    std::memcpy(half, source, size_t(frames) * 2 * sizeof(float));
  } else if (!written) {
    for (int32_t f = 0; f < frames; ++f) {
      half[2 * f] = source[f * stride] * gl;
      half[2 * f + 1] = source[f * stride + stride - 1] * gr;
    }
  } else {
    for (int32_t f = 0; f < frames; ++f) {
      half[2 * f] += source[f * stride] * gl;
      half[2 * f + 1] += source[f * stride + stride - 1] * gr;
    }
  }
  written = 1;
}
