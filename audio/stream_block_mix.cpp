#include "audio/stream_block_mix.h"

#include "audio/engine_channels.h"

namespace {

float BlockSample(const void* block, int32_t bytesPerSample, int32_t index) {
  switch (bytesPerSample) {
    case 2: return float(static_cast<const int16_t*>(block)[index]) * (1.0f / 32768.0f);
    case 3: {
      const uint8_t* at = static_cast<const uint8_t*>(block) + 3 * index;
      int32_t v = int32_t((uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8)) >> 8;
      return float(v) * (1.0f / 8388608.0f);
    }
    default: return static_cast<const float*>(block)[index];
  }
}

}  // namespace

void MixStreamBlock(EngineChannel* channel, const void* block, uint32_t selector, uint8_t ready,
                    int32_t bytesPerSample, int32_t channels) {
  selector &= 1;
  float* out = channel->mixBuffer[selector];
  if (!out || !block || !ready) return;
  int32_t frames = channel->framesPerBlock;
  float gl = float(channel->gainLeft) * (1.0f / 32768.0f);
  float gr = float(channel->gainRight) * (1.0f / 32768.0f);
  int32_t stride = channels < 1 ? 1 : channels;
  if (bytesPerSample == 4) {
    // Float32 blocks, the common case: one tight loop per layout.
    const float* in = static_cast<const float*>(block);
    if (stride == 2) {
      for (int32_t f = 0; f < frames; ++f) {
        out[2 * f] = in[2 * f] * gl;
        out[2 * f + 1] = in[2 * f + 1] * gr;
      }
    } else {
      for (int32_t f = 0; f < frames; ++f) {
        out[2 * f] = in[f * stride] * gl;
        out[2 * f + 1] = in[f * stride] * gr;
      }
    }
    channel->selectorRendered[selector] = 1;
    return;
  }
  for (int32_t f = 0; f < frames; ++f) {
    float l = BlockSample(block, bytesPerSample, f * stride);
    float r = stride > 1 ? BlockSample(block, bytesPerSample, f * stride + 1) : l;
    out[2 * f] = l * gl;
    out[2 * f + 1] = r * gr;
  }
  channel->selectorRendered[selector] = 1;
}
