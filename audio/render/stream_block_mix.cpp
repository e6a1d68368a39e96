#include "audio/render/stream_block_mix.h"

#include <algorithm>
#include <cstring>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/instrument_binding.h"
#include "audio/render/stream_accumulate.h"
#include "audio/render/stream_automation.h"
#include "audio/render/stream_segments.h"

namespace {

constexpr int32_t kUnityGain = 32768;
constexpr float kQ15 = 1.0f / 32768.0f;

int32_t Saturate(int32_t v, int32_t top) { return std::clamp(v, -top - 1, top); }

// A source block as samples of one width; Sample(f, side) takes the right side from the left
// one for mono blocks.
struct SourceBlock {
  const uint8_t* bytes;
  int32_t bytesPerSample;  // 1, 2, 3 (24-bit big-endian) or 4 (Float32)
  int32_t stride;          // channels per frame, 1 or 2

  int32_t Index(int32_t f, int32_t side) const { return f * stride + (stride > 1 ? side : 0); }
  int32_t Int(int32_t f, int32_t side) const {
    int32_t i = Index(f, side);
    if (bytesPerSample == 1) return int8_t(bytes[i]);
    int16_t v;
    std::memcpy(&v, bytes + 2 * i, sizeof v);
    return v;
  }
  float Float(int32_t f, int32_t side) const {
    int32_t i = Index(f, side);
    if (bytesPerSample == 4) {
      float v;
      std::memcpy(&v, bytes + 4 * i, sizeof v);
      return v;
    }
    const uint8_t* at = bytes + 3 * i;
    int32_t v = int32_t((uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8)) >> 8;
    return float(v) * (1.0f / 8388608.0f);
  }
  int32_t BlockBytes(int32_t frames) const { return frames * bytesPerSample * stride; }
};

bool IsFloatWidth(const EngineChannel* c) { return c->outputWidth > 16; }

// Integer segment: out = sample x gain >> 15 per side, saturated to the width; a copy only at
// exactly unity. Results are stored as value / full scale.
void WriteIntSegment(const SourceBlock& src, float* out, int32_t first, int32_t count, int32_t gl, int32_t gr) {
  const int32_t top = src.bytesPerSample == 1 ? 127 : 32767;
  const float unit = src.bytesPerSample == 1 ? 1.0f / 128.0f : kQ15;
  const bool copy = gl == kUnityGain && gr == kUnityGain;
  for (int32_t f = first; f < first + count; ++f) {
    int32_t l = src.Int(f, 0), r = src.Int(f, 1);
    if (!copy) {
      l = Saturate(int32_t((int64_t(l) * gl) >> 15), top);
      r = Saturate(int32_t((int64_t(r) * gr) >> 15), top);
    }
    out[2 * f] = float(l) * unit;
    out[2 * f + 1] = float(r) * unit;
  }
}

// Float segment: out = sample x side gain x wetScale / 32768.
void WriteFloatSegment(const SourceBlock& src, float* out, int32_t first, int32_t count, float gl, float gr) {
  for (int32_t f = first; f < first + count; ++f) {
    out[2 * f] = gl == 0.0f ? 0.0f : src.Float(f, 0) * gl;
    out[2 * f + 1] = gr == 0.0f ? 0.0f : src.Float(f, 1) * gr;
  }
}

float FloatSideGain(const EngineChannel* c, int32_t gain) { return float(gain) * c->wetScale * kQ15; }

// The fade ramp over the block: 16-bit halves in fixed point, float halves inline.
void RampHalf(EngineChannel* c, uint32_t s, bool fadeIn, bool isFloat) {
  float* out = c->mixBuffer[s];
  const int32_t n = c->framesPerBlock;
  if (!isFloat) {
    RampInt16(c, s, fadeIn);
    return;
  }
  for (int32_t f = 0; out && f < n; ++f) {
    float share = float(fadeIn ? f : n - f) / float(n);
    out[2 * f] *= share;
    out[2 * f + 1] *= share;
  }
}

// Out of the block: the fades of the fade state byte.
void RunFade(EngineChannel* c, uint32_t s, bool active, const SourceBlock& src) {
  switch (c->fadeState) {
    case kFadeStateOutThenWait:
    case kFadeStateOutThenRest:
      if (active) RampHalf(c, s, false, src.bytesPerSample >= 3);
      c->fadeState = c->fadeState == kFadeStateOutThenWait ? kFadeStateWait1 : kFadeStateRest;
      return;
    case kFadeStateWait1:
    case kFadeStateWait2:
      ++c->fadeState;
      return;
    case kFadeStateSilence:
      c->selectorRendered[s] = 0;
      if (!c->instrumentSource) c->stopped = 1;
      c->peakLeft = c->peakRight = 0;
      c->fadeState = kFadeStateRest;
      return;
    case kFadeStateIn:
    case kFadeStateIn2:
      if (active) RampHalf(c, s, true, src.bytesPerSample >= 3);
      c->fadeState = kFadeStateFadedIn;
      return;
    case kFadeStatePlaying:
      if (active && src.bytesPerSample >= 3 && c->previousGainRight >= 0)
        RampFloat(c, s, src.bytes, src.bytesPerSample, src.stride);
      return;
    default:
      return;
  }
}

// The source block at unity into the target channel of the same width class; the channel's
// own half is then empty (the target plays it).
void FeedTarget(EngineChannel* c, uint32_t s, const SourceBlock& src, int32_t frames) {
  EngineChannel* t = c->targetChannel;
  if (!t || IsFloatWidth(t) != IsFloatWidth(c)) return;
  if (src.bytesPerSample == 2)
    AccumulateInt16(reinterpret_cast<const int16_t*>(src.bytes), t, s, frames, kUnityGain, kUnityGain, src.stride);
  else if (src.bytesPerSample == 4)
    AccumulateFloat(reinterpret_cast<const float*>(src.bytes), t, s, frames, kUnityGain, kUnityGain, src.stride,
                    c->wetScale * kQ15);
  else if (c->selectorRendered[s])
    AccumulateHalfInt16(c->mixBuffer[s], t, s, frames, kUnityGain, kUnityGain);  // 8 and 24-bit: the half
  c->selectorRendered[s] = 0;
}

// Pre-fader sends take the source block with the send's gains, post-fader sends the
// channel's own half (already gained), and only when it was written.
void FeedSends(EngineChannel* c, uint32_t s, const SourceBlock& src, int32_t frames) {
  const bool isFloat = IsFloatWidth(c);
  for (int32_t i = 0; i < kChannelSends && c->sendGains[i].bus != 0; ++i) {
    const ChannelSend& send = c->sendGains[i];
    EngineChannel* bus = FindAuxBusChannel(send.bus);
    if (!bus || bus == c) continue;
    bool post = send.postFader || (src.bytesPerSample != 2 && src.bytesPerSample != 4);
    if (post) {
      if (!c->selectorRendered[s]) continue;
      if (isFloat)
        AccumulateFloat(c->mixBuffer[s], bus, s, frames, send.gainLeft, send.gainRight, 2, kQ15);
      else
        AccumulateHalfInt16(c->mixBuffer[s], bus, s, frames, send.gainLeft, send.gainRight);
    } else if (src.bytesPerSample == 2) {
      AccumulateInt16(reinterpret_cast<const int16_t*>(src.bytes), bus, s, frames, send.gainLeft, send.gainRight,
                      src.stride);
    } else {
      AccumulateFloat(reinterpret_cast<const float*>(src.bytes), bus, s, frames, send.gainLeft, send.gainRight,
                      src.stride, c->wetScale * kQ15);
    }
  }
}

// The float path's raw copy: the unscaled block, or zeros when the channel is not active.
void CopyRawBlock(EngineChannel* c, const SourceBlock& src, int32_t frames, bool active) {
  if (!c->rawCopy) return;
  int32_t bytes = std::min(src.BlockBytes(frames), c->rawCopyBytes);
  if (bytes <= 0) return;
  if (active) std::memcpy(c->rawCopy, src.bytes, size_t(bytes));
  else std::memset(c->rawCopy, 0, size_t(bytes));
}

// Steps 1 to 7 of one channel's block, for every width.
void MixChannelBlock(EngineChannel* c, uint32_t s, uint8_t activeIn, const SourceBlock& src) {
  s &= 1;
  const int32_t frames = std::max<int32_t>(c->framesPerBlock, 0);
  const bool isFloat = src.bytesPerSample >= 3;
  const bool fadeSilent = c->fadeState >= kFadeStateWait1 && c->fadeState <= kFadeStateRest;
  bool active = activeIn && src.bytes && c->mixBuffer[s] && (c->channelFlags & kChannelAudible) && !fadeSilent;
  c->selectorRendered[s] = active ? 1 : 0;
  float* out = c->mixBuffer[s];
  bool silentBlock = isFloat;  // float: every segment written at gain 0
  int32_t walked = WalkStreamSegments(c, frames, [&](int32_t first, int32_t count) {
    if (!active) return;
    if (!isFloat) {
      WriteIntSegment(src, out, first, count, c->gainLeft, c->gainRight);
      return;
    }
    float l = FloatSideGain(c, c->gainLeft), r = FloatSideGain(c, c->gainRight);
    if (l != 0.0f || r != 0.0f) silentBlock = false;
    WriteFloatSegment(src, out, first, count, l, r);
  });
  // A walk that ended early (a loop or region of no length) leaves the rest silent.
  if (active && walked < frames) std::fill(out + 2 * walked, out + 2 * frames, 0.0f);
  if (isFloat) {
    CopyRawBlock(c, src, frames, active);
    if (active && silentBlock) c->selectorRendered[s] = 0;
  }
  RunFade(c, s, active, src);
  if (!active) return;
  FeedTarget(c, s, src, frames);
  FeedSends(c, s, src, frames);
}

int32_t BytesForWidth(const EngineChannel* c) { return c->outputWidth <= 8 ? 1 : c->outputWidth <= 16 ? 2 : 4; }

void MixOneChannel(EngineChannel* c, const uint8_t* block, uint32_t s, uint8_t ready, int32_t bytes,
                   int32_t channels) {
  const int32_t stride = channels > 1 ? 2 : 1;
  SourceBlock src{block, bytes, stride};
  if (bytes == 2 && c->rawCopy && block) {
    int32_t n = std::min(src.BlockBytes(c->framesPerBlock), c->rawCopyBytes);
    if (n > 0) std::memcpy(c->rawCopy, block, size_t(n));
  }
  MixChannelBlock(c, s, ready, src);
}

}  // namespace

void MixStream16(EngineChannel* channel, const int16_t* block, uint32_t selector, uint8_t active, int32_t channels) {
  MixChannelBlock(channel, selector, active, SourceBlock{reinterpret_cast<const uint8_t*>(block), 2, channels > 1 ? 2 : 1});
}

void MixStream8(EngineChannel* channel, const int8_t* block, uint32_t selector, uint8_t active, int32_t channels) {
  MixChannelBlock(channel, selector, active, SourceBlock{reinterpret_cast<const uint8_t*>(block), 1, channels > 1 ? 2 : 1});
}

void MixStreamFloat(EngineChannel* channel, const void* block, uint32_t selector, uint8_t active, int32_t channels,
                    int32_t bytesPerSample) {
  MixChannelBlock(channel, selector, active,
                  SourceBlock{static_cast<const uint8_t*>(block), bytesPerSample == 3 ? 3 : 4, channels > 1 ? 2 : 1});
}

void MixStreamBlock(EngineChannel* channel, const void* block, uint32_t selector, uint8_t ready,
                    int32_t bytesPerSample, int32_t channels) {
  // Without a block (a bus or instrument channel that rendered nothing of its own) the half
  // keeps what sends and group members summed into it.
  if (!channel || channel->suspended || !block) return;
  const uint8_t* at = static_cast<const uint8_t*>(block);
  MixOneChannel(channel, at, selector, ready, bytesPerSample, channels);
  at += size_t(std::max<int32_t>(channel->framesPerBlock, 0)) * bytesPerSample * (channels > 1 ? 2 : 1);
  for (int32_t i = 0; i < kMaxStreamChannels && channel->streamChannels[i]; ++i) {
    EngineChannel* c = channel->streamChannels[i];
    int32_t bytes = BytesForWidth(c), count = c->frameChannels > 1 ? 2 : 1;
    if (!c->stopped) MixOneChannel(c, at, selector, ready, bytes, count);
    at += size_t(std::max<int32_t>(c->framesPerBlock, 0)) * bytes * count;
  }
}

void RampInt16(EngineChannel* channel, uint32_t selector, bool fadeIn) {
  float* out = channel->mixBuffer[selector & 1];
  const int32_t n = channel->framesPerBlock;
  if (!out || n <= 0) return;
  for (int32_t f = 0; f < n; ++f) {
    int32_t share = fadeIn ? f : n - f;
    for (int32_t side = 0; side < 2; ++side) {
      int32_t v = int32_t(out[2 * f + side] * 32768.0f);
      out[2 * f + side] = float(int32_t(int64_t(v) * share / n)) * kQ15;
    }
  }
}

void RampFloat(EngineChannel* channel, uint32_t selector, const void* block, int32_t bytesPerSample,
               int32_t channels) {
  float* out = channel->mixBuffer[selector & 1];
  const int32_t n = channel->framesPerBlock;
  if (out && block && n > 0) {
    SourceBlock src{static_cast<const uint8_t*>(block), bytesPerSample == 3 ? 3 : 4, channels > 1 ? 2 : 1};
    const float fromL = FloatSideGain(channel, channel->previousGainLeft);
    const float fromR = FloatSideGain(channel, channel->previousGainRight);
    const float stepL = (FloatSideGain(channel, channel->gainLeft) - fromL) / float(n);
    const float stepR = (FloatSideGain(channel, channel->gainRight) - fromR) / float(n);
    for (int32_t f = 0; f < n; ++f) {
      out[2 * f] = src.Float(f, 0) * (fromL + stepL * float(f));
      out[2 * f + 1] = src.Float(f, 1) * (fromR + stepR * float(f));
    }
  }
  channel->previousGainLeft = channel->previousGainRight = -1;
}
