#include "audio/render/stream_block_mix.h"

#include <cstring>

#include "audio/engine/engine_channels.h"

namespace {

// Four floats in one SSE register (the x86-64 baseline). No procedure takes or returns one;
// loads and stores are unaligned copies.
using Float4 = float __attribute__((vector_size(16)));

// Interleaved stereo Float32 scaled by the two gains: whole registers, no per-sample branch.
void ScaleStereo(const float* __restrict in, float* __restrict out, int32_t frames, float gl, float gr) {
  const Float4 g = {gl, gr, gl, gr};
  const int32_t n = 2 * frames;
  int32_t i = 0;
  for (; i + 16 <= n; i += 16) {
    Float4 a, b, c, d;
    std::memcpy(&a, in + i, sizeof a);
    std::memcpy(&b, in + i + 4, sizeof b);
    std::memcpy(&c, in + i + 8, sizeof c);
    std::memcpy(&d, in + i + 12, sizeof d);
    a *= g;
    b *= g;
    c *= g;
    d *= g;
    std::memcpy(out + i, &a, sizeof a);
    std::memcpy(out + i + 4, &b, sizeof b);
    std::memcpy(out + i + 8, &c, sizeof c);
    std::memcpy(out + i + 12, &d, sizeof d);
  }
  for (; i + 4 <= n; i += 4) {
    Float4 a;
    std::memcpy(&a, in + i, sizeof a);
    a *= g;
    std::memcpy(out + i, &a, sizeof a);
  }
  for (; i + 2 <= n; i += 2) {
    out[i] = in[i] * gl;
    out[i + 1] = in[i + 1] * gr;
  }
}

// Any other layout: sample s of the block as -1.0..1.0 from read(s), the right side the
// left one for mono blocks.
template <typename Read>
void ScaleFrames(float* __restrict out, int32_t frames, int32_t stride, float gl, float gr, Read read) {
  if (stride > 1) {
    for (int32_t f = 0; f < frames; ++f) {
      out[2 * f] = read(f * stride) * gl;
      out[2 * f + 1] = read(f * stride + 1) * gr;
    }
    return;
  }
  for (int32_t f = 0; f < frames; ++f) {
    float v = read(f);
    out[2 * f] = v * gl;
    out[2 * f + 1] = v * gr;
  }
}

float Int24At(const uint8_t* block, int32_t index) {
  const uint8_t* at = block + 3 * index;
  int32_t v = int32_t((uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8)) >> 8;
  return float(v) * (1.0f / 8388608.0f);
}

}  // namespace

void MixStreamBlock(EngineChannel* channel, const void* block, uint32_t selector, uint8_t ready,
                    int32_t bytesPerSample, int32_t channels) {
  selector &= 1;
  float* out = channel->mixBuffer[selector];
  if (!out || !block || !ready) return;
  const int32_t frames = channel->framesPerBlock;
  const float gl = float(channel->gainLeft) * (1.0f / 32768.0f);
  const float gr = float(channel->gainRight) * (1.0f / 32768.0f);
  const int32_t stride = channels < 1 ? 1 : channels;
  if (bytesPerSample == 4 && stride == 2) {
    ScaleStereo(static_cast<const float*>(block), out, frames, gl, gr);
  } else if (bytesPerSample == 4) {
    const float* in = static_cast<const float*>(block);
    ScaleFrames(out, frames, stride, gl, gr, [in](int32_t s) { return in[s]; });
  } else if (bytesPerSample == 2) {
    const int16_t* in = static_cast<const int16_t*>(block);
    ScaleFrames(out, frames, stride, gl, gr, [in](int32_t s) { return float(in[s]) * (1.0f / 32768.0f); });
  } else {
    const uint8_t* in = static_cast<const uint8_t*>(block);
    ScaleFrames(out, frames, stride, gl, gr, [in](int32_t s) { return Int24At(in, s); });
  }
  channel->selectorRendered[selector] = 1;
}
