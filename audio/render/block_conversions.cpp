#include "audio/render/block_conversions.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/engine_channels.h"

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

namespace {

// Sample i of a packed block, as a signed integer in its own width.
int32_t ReadIntegerSample(const uint8_t* p, int32_t i, int16_t bits, bool little) {
  if (bits <= 8) return int8_t(p[i]);
  if (bits <= 16) {
    const uint8_t* q = p + 2 * i;
    return int16_t(little ? q[0] | (q[1] << 8) : (q[0] << 8) | q[1]);
  }
  if (bits <= 24) {
    const uint8_t* q = p + 3 * i;
    uint32_t u = little ? q[0] | (q[1] << 8) | (uint32_t(q[2]) << 16) : (uint32_t(q[0]) << 16) | (q[1] << 8) | q[2];
    return int32_t(u << 8) >> 8;
  }
  const uint8_t* q = p + 4 * i;
  return int32_t(little ? q[0] | (q[1] << 8) | (uint32_t(q[2]) << 16) | (uint32_t(q[3]) << 24)
                        : (uint32_t(q[0]) << 24) | (uint32_t(q[1]) << 16) | (q[2] << 8) | q[3]);
}

// From the block's end to its start: the target may overlay the (narrower) source.
void IntegersToFloat(const void* source, float* target, int32_t frames, int32_t channels, int16_t bits, bool hasData,
                     bool little) {
  if (!target || frames <= 0 || channels <= 0) return;
  int32_t count = frames * channels;
  if (!hasData || !source) {
    std::memset(target, 0, size_t(count) * sizeof(float));
    return;
  }
  const auto* p = static_cast<const uint8_t*>(source);
  for (int32_t i = count - 1; i >= 0; --i) target[i] = float(ReadIntegerSample(p, i, bits, little));
}

uint32_t ReadBigU32(const uint8_t* q) {
  return (uint32_t(q[0]) << 24) | (uint32_t(q[1]) << 16) | (uint32_t(q[2]) << 8) | q[3];
}

}  // namespace

void ConvertIntegerToFloat(const void* source, float* target, int32_t frames, int32_t channels, int16_t bits,
                           bool hasData) {
  IntegersToFloat(source, target, frames, channels, bits, hasData, false);
}

void ConvertSwappedToFloat(const void* source, float* target, int32_t frames, int32_t channels, int16_t bits,
                           bool hasData) {
  IntegersToFloat(source, target, frames, channels, bits <= 16 ? 16 : bits, hasData, true);
}

int16_t ConvertBlockTo16(EngineChannel* channel, const void* source, void* target, bool hasData, int32_t bytes) {
  if (!channel || !target || bytes < 0) return -4;
  int32_t channels = channel->channelCount > 1 ? 2 : 1;
  if (channel->outputWidth > 16) {
    int32_t frames = bytes / int32_t(sizeof(float)) / channels;
    ConvertIntegerToFloat(source, static_cast<float*>(target), frames, channels, int16_t(channel->sourceWidth), hasData);
    return 0;
  }
  if (!hasData || !source) {
    std::memset(target, 0, size_t(bytes));
    return 0;
  }
  const auto* p = static_cast<const uint8_t*>(source);
  auto* out = static_cast<int16_t*>(target);
  int32_t count = bytes / 2;
  bool isFloat = channel->sourceFormat == FourCC("fl32");
  bool little = channel->sourceFormat == FourCC("sowt");
  int32_t width = channel->sourceWidth;
  if (!isFloat && width != 16 && width != 24 && width != 32) return -4;
  for (int32_t i = 0; i < count; ++i) {  // narrowing: from the start, so it works in place
    if (isFloat) {
      uint32_t u = ReadBigU32(p + 4 * i);
      float f;
      std::memcpy(&f, &u, 4);
      float scaled = f * 32768.0f;  // truncated, held to the 16-bit range
      out[i] = int16_t(scaled >= 32767.0f ? 32767 : scaled <= -32768.0f ? -32768 : int32_t(scaled));
    } else {
      const uint8_t* q = p + (width / 8) * i;  // the upper two bytes, in the source's order
      out[i] = little ? int16_t((q[width / 8 - 1] << 8) | q[width / 8 - 2]) : int16_t((q[0] << 8) | q[1]);
    }
  }
  return 0;
}

int16_t ConvertChannelBlock(EngineChannel* channel, int32_t half, void* target, bool hasData) {
  if (!channel) return -4;
  half &= 1;
  const uint8_t* source = channel->inputBuffers[half];
  int32_t channels = channel->channelCount > 1 ? 2 : 1;
  if (channel->sourceFormat == FourCC("sowt")) {
    if (channel->sourceWidth <= 16) return -4;
    int32_t frames = channel->inputBytesPerFrame ? int32_t(channel->halfInputBytes[half] / channel->inputBytesPerFrame) : 0;
    ConvertSwappedToFloat(source, static_cast<float*>(target), frames, channels, int16_t(channel->sourceWidth), hasData);
    return 0;
  }
  if (!hasData && !channel->chain) return 0;
  return ConvertBlockTo16(channel, source, target, hasData, channel->decodedBlockBytes);
}
