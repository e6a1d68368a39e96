#include "audio/render/channel_render.h"

#include <cmath>
#include <cstring>

#include "audio/devices/audio_driver.h"
#include "audio/engine/automation_records.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "sequencer/clock/transport_clock.h"

std::atomic<uint8_t> gInsertEffectsOn{1};

namespace {

constexpr int32_t kRenderExtraFrames = 1024;
constexpr uint32_t kClockLockNoMidi = 2;

int32_t RenderBufferFrames() { return gAudioBufferFrames.load() + kRenderExtraFrames; }

// One sample of an engine block: 16-bit integers (as their integer value) or Float32.
float SourceSample(const void* block, int16_t bits, int32_t index) {
  if (bits > 16) return static_cast<const float*>(block)[index];
  return float(static_cast<const int16_t*>(block)[index]);
}

void PutInt24BE(uint8_t* at, int32_t v) {
  at[0] = uint8_t(v >> 16);
  at[1] = uint8_t(v >> 8);
  at[2] = uint8_t(v);
}

struct MixContext {
  EngineChannel* channel;
  const void* source;
  float* const* wet;
  int32_t wetCount;
  int32_t frames;
  float w;
  int32_t d;
  bool clip = false;

  float W(int32_t i, int32_t f) const { return i < wetCount && wet[i] ? wet[i][f] : 0.0f; }
  int32_t DryChannels() const { return channel->frameChannels > 1 ? 2 : 1; }
  float Dry(int32_t f, int32_t side) const {
    int32_t fc = DryChannels();
    return SourceSample(source, channel->sampleBits, f * fc + (side < fc ? side : fc - 1));
  }
  // Dry in 16-bit integer terms: D = sample x d >> 8.
  int32_t D(int32_t f, int32_t side) const {
    float v = Dry(f, side);
    int32_t i = channel->sampleBits > 16 ? int32_t(SaturateToInt16(v * 32768.0f, nullptr)) : int32_t(v);
    return (i * d) >> 8;
  }
  // Dry in float terms: sample x (d / 256) x dryScale, integer sources taken to -1.0..1.0.
  float Df(int32_t f, int32_t side) const {
    float v = Dry(f, side);
    if (channel->sampleBits <= 16) v *= 1.0f / 32768.0f;
    return v * (float(d) / 256.0f) * channel->dryScale;
  }
  // Dry in 24-bit terms.
  float D24(int32_t f, int32_t side) const {
    float v = Dry(f, side);
    v *= channel->sampleBits > 16 ? 8388608.0f : 256.0f;
    return v * (float(d) / 256.0f);
  }
};

// One channel's share of a spread kind: its frameChannels wet buffers from `first` (16-bit
// for kinds 25 and 27, float otherwise), the dry signal only on the first channel of all.
void WriteSpreadShare(int32_t kind, const MixContext& m, int32_t fc, int32_t first, bool withDry, void* out) {
  const float k = 1.0f / 32768.0f;
  for (int32_t f = 0; f < m.frames; ++f)
    for (int32_t c = 0; c < fc; ++c) {
      float wet = m.W(first + c, f);
      if (kind == 25 || kind == 27) {
        int32_t dry = !withDry ? 0 : kind == 25 ? (c == 0 ? m.D(f, 0) : 0) : m.D(f, c);
        static_cast<int16_t*>(out)[f * fc + c] = SaturateToInt16(wet * m.w + float(dry), nullptr);
      } else {
        float dry = withDry && m.d ? m.Df(f, kind == 33 ? c : 0) : 0.0f;
        static_cast<float*>(out)[f * fc + c] = wet * m.w * k + dry;
      }
    }
}

// Spread kinds: the channel takes the first wet buffers, then each linked channel the next
// ones, in order, into its own render block. A stopped linked channel keeps its place (its
// buffers go nowhere), so every output keeps the channel it belongs to.
void WriteSpreadKind(int32_t kind, MixContext& m, void* output) {
  int32_t bytes = kind == 25 || kind == 27 ? 2 : 4;
  int32_t fc = m.channel->frameChannels > 1 ? 2 : 1;
  WriteSpreadShare(kind, m, fc, 0, true, output);
  int32_t first = fc;
  for (int32_t i = 0; i < kMaxLinkedChannels; ++i) {
    EngineChannel* linked = m.channel->linkedChannels[i];
    if (!linked) break;
    int32_t lfc = linked->frameChannels > 1 ? 2 : 1;
    bool fits = linked->renderBlock && linked->renderBlockBytes >= m.frames * lfc * bytes;
    if (!linked->stopped && fits) {
      WriteSpreadShare(kind, m, lfc, first, false, linked->renderBlock);
      linked->spreadBytes = uint8_t(bytes);
    }
    first += lfc;
  }
}

bool WriteMixKind(int32_t kind, const ChannelRenderState* state, MixContext& m, void* output) {
  const float k = 1.0f / 32768.0f;
  const int32_t n = m.frames;
  int16_t* o16 = static_cast<int16_t*>(output);
  float* of = static_cast<float*>(output);
  uint8_t* o24 = static_cast<uint8_t*>(output);
  int32_t pairs = state->outputChannels / 2;
  if (pairs < 1) pairs = 1;
  bool* clip = nullptr;
  switch (kind) {
    case 0:
    case 4:
      clip = kind == 0 ? &m.clip : nullptr;
      for (int32_t f = 0; f < n; ++f) o16[f] = SaturateToInt16(m.W(0, f) * m.w + float(m.D(f, 0)), clip);
      return true;
    case 1:
      for (int32_t f = 0; f < n; ++f) {
        float dry = m.d == 0 ? 0.0f : float(m.D(f, 0));
        float wl = m.w <= 0.01f ? 0.0f : m.W(0, f) * m.w;
        float wr = m.w <= 0.01f ? 0.0f : m.W(1, f) * m.w;
        o16[2 * f] = SaturateToInt16(wl + dry, nullptr);
        o16[2 * f + 1] = SaturateToInt16(wr + dry, nullptr);
      }
      return true;
    case 2:
      for (int32_t f = 0; f < n; ++f)
        o16[f] = SaturateToInt16(m.W(0, f) * m.w + float((m.D(f, 0) + m.D(f, 1)) / 2), nullptr);
      return true;
    case 3:
      for (int32_t f = 0; f < n; ++f)
        for (int32_t p = 0; p < pairs; ++p) {
          o16[(f * pairs + p) * 2] = SaturateToInt16(m.W(2 * p, f) * m.w + float(m.D(f, 0)), nullptr);
          o16[(f * pairs + p) * 2 + 1] = SaturateToInt16(m.W(2 * p + 1, f) * m.w + float(m.D(f, 1)), nullptr);
        }
      return true;
    case 5:
      for (int32_t f = 0; f < n; ++f) {
        float h = (m.W(0, f) * m.w) / 2.0f;
        o16[2 * f] = SaturateToInt16(float(m.D(f, 0)) + h, nullptr);
        o16[2 * f + 1] = SaturateToInt16(float(m.D(f, 1)) + h, nullptr);
      }
      return true;
    case 6:
      for (int32_t f = 0; f < n; ++f) of[f] = m.W(0, f) * m.w * k + (m.d ? m.Df(f, 0) : 0.0f);
      return true;
    case 7:
    case 25:
    case 27:
    case 30:
    case 31:
    case 32:
    case 33:
      WriteSpreadKind(kind, m, output);
      return true;
    case 8:
      for (int32_t f = 0; f < n; ++f) of[f] = (m.Df(f, 0) + m.Df(f, 1)) * 0.5f + m.W(0, f) * m.w * k;
      return true;
    case 9:
      for (int32_t f = 0; f < n; ++f)
        for (int32_t p = 0; p < pairs; ++p) {
          of[(f * pairs + p) * 2] = m.Df(f, 0) + m.W(2 * p, f) * m.w * k;
          of[(f * pairs + p) * 2 + 1] = m.Df(f, 1) + m.W(2 * p + 1, f) * m.w * k;
        }
      return true;
    case 10:
      for (int32_t f = 0; f < n; ++f) of[f] = m.Df(f, 0) + (m.W(0, f) + m.W(1, f)) * m.w * k * 0.5f;
      return true;
    case 11:
      // Mono wet on both sides, each side with its own dry side (as the 24-bit twin).
      for (int32_t f = 0; f < n; ++f) {
        float wet = m.W(0, f) * m.w * k;
        of[2 * f] = m.Df(f, 0) + wet;
        of[2 * f + 1] = m.Df(f, 1) + wet;
      }
      return true;
    case 18:
      for (int32_t f = 0; f < n; ++f)
        PutInt24BE(o24 + 3 * f, SaturateToInt24(m.W(0, f) * m.w * 256.0f + (m.d ? m.D24(f, 0) : 0.0f), &m.clip));
      return true;
    case 22:
      for (int32_t f = 0; f < n; ++f)
        PutInt24BE(o24 + 3 * f, SaturateToInt24((m.W(0, f) + m.W(1, f)) * m.w * 256.0f * 0.5f +
                                                    (m.d ? m.D24(f, 0) : 0.0f), &m.clip));
      return true;
    case 21:
      for (int32_t f = 0; f < n; ++f)
        for (int32_t p = 0; p < pairs; ++p)
          for (int32_t s = 0; s < 2; ++s)
            PutInt24BE(o24 + 3 * ((f * pairs + p) * 2 + s),
                       SaturateToInt24(m.W(2 * p + s, f) * m.w * 256.0f + m.D24(f, s), &m.clip));
      return true;
    case 23:
      for (int32_t f = 0; f < n; ++f)
        for (int32_t s = 0; s < 2; ++s)
          PutInt24BE(o24 + 3 * (2 * f + s), SaturateToInt24(m.W(0, f) * m.w * 256.0f + m.D24(f, s), &m.clip));
      return true;
    default:
      return false;
  }
}

// Effects off: a mono source on a stereo channel is duplicated, a stereo source on a mono
// channel averaged.
void* ConvertSourceLayout(EngineChannel* channel, void* source, void* output, int32_t frames) {
  int32_t srcChannels = channel->sourceChannels ? channel->sourceChannels : channel->frameChannels;
  if (srcChannels == channel->frameChannels || !output) return source;
  bool isFloat = channel->sampleBits > 16;
  for (int32_t f = 0; f < frames; ++f) {
    if (srcChannels == 1 && channel->frameChannels == 2) {
      if (isFloat) {
        float v = static_cast<float*>(source)[f];
        static_cast<float*>(output)[2 * f] = v;
        static_cast<float*>(output)[2 * f + 1] = v;
      } else {
        int16_t v = static_cast<int16_t*>(source)[f];
        static_cast<int16_t*>(output)[2 * f] = v;
        static_cast<int16_t*>(output)[2 * f + 1] = v;
      }
    } else if (srcChannels == 2 && channel->frameChannels == 1) {
      if (isFloat) {
        const float* s = static_cast<float*>(source);
        static_cast<float*>(output)[f] = (s[2 * f] + s[2 * f + 1]) * 0.5f;
      } else {
        const int16_t* s = static_cast<int16_t*>(source);
        static_cast<int16_t*>(output)[f] = int16_t((int32_t(s[2 * f]) + s[2 * f + 1]) >> 1);
      }
    } else {
      return source;
    }
  }
  return output;
}

// Feeds chain input pair `pair` from the channel's own block.
void FillOwnPair(EngineChannel* channel, const void* source, int32_t pair, int32_t frames, float gain, bool data) {
  float* left = gRenderBuffers.chain[2 * pair];
  float* right = gRenderBuffers.chain[2 * pair + 1];
  int32_t fc = channel->frameChannels > 1 ? 2 : 1;
  float scale = channel->sampleBits > 16 ? 1.0f : gain;
  for (int32_t f = 0; f < frames; ++f) {
    float l = data && pair == 0 ? SourceSample(source, channel->sampleBits, f * fc) * scale : 0.0f;
    float r = data && pair == 0 ? SourceSample(source, channel->sampleBits, f * fc + fc - 1) * scale : 0.0f;
    if (left) left[f] = l;
    if (right) right[f] = r;
  }
}

// Feeds chain input pair `pair` from another channel's output: its current output block in
// its own layout, or else its bus block of its device's selector (stereo). Both are Float32
// in -1.0..1.0 and take the chain's input gain as integer samples do (the default 1/32768 is
// unity). A mono block fills the left input and clears the right. Silence while the source
// has no data: a stream whose half is not ready, unless it renders an instrument, plays an
// external source or records step by step.
void FillPairFromChannel(const EngineChannel* from, int32_t pair, int32_t frames, float inputGain) {
  const float* block = from->currentOutput;
  int32_t fc = from->frameChannels > 1 ? 2 : 1;
  if (!block) {
    block = from->device ? from->busBuffer[from->device->outputSelector.load() & 1] : nullptr;
    fc = 2;
  }
  bool data = block && (from->halfReady[from->currentHalf & 1] || from->instrumentSource || from->externalSource ||
                        from->stepRecord);
  float gain = inputGain * 32768.0f;
  // Its blocks hold its own block length: frames beyond it are silence.
  int32_t held = from->framesPerBlock > 0 && from->framesPerBlock < frames ? from->framesPerBlock : frames;
  float* left = gRenderBuffers.chain[2 * pair];
  float* right = gRenderBuffers.chain[2 * pair + 1];
  for (int32_t f = 0; f < frames; ++f) {
    bool have = data && f < held;
    if (left) left[f] = have ? block[f * fc] * gain : 0.0f;
    if (right) right[f] = have && fc == 2 ? block[f * fc + 1] * gain : 0.0f;
  }
}

// Feeds the chain's inputs: each pair from the channel's own stream or from the channel that
// feeds it; the dry level *d becomes 0 where there is no dry signal.
void FillChainInputs(EngineChannel* channel, const ChannelRenderState* state, const void* source, int32_t inCount,
                     int32_t frames, float inputGain, int32_t half, int32_t* d) {
  if (state->audioInput || inCount > 2) {
    for (int32_t pair = state->audioInput ? 0 : 1; 2 * pair < inCount && pair < kMaxChainInputPairs; ++pair) {
      EngineChannel* from = channel->inputSource[pair];
      if (from) {
        FillPairFromChannel(from, pair, frames, inputGain);
        continue;
      }
      bool data = channel->halfReady[half] != 0;
      if (channel->sourceKind == 2 || ((channel->trackFlags & 0x10) && !channel->externalSource)) data = false;
      if (channel->sourceKind == 2) *d = 0;
      FillOwnPair(channel, source, pair, frames, inputGain, data);
    }
  }
  if (!state->audioInput) {
    // Pair 0 is not fed without audio input: the chain sees silence there, never what an
    // earlier channel left in the chain table.
    for (int32_t i = 0; i < inCount && i < 2; ++i)
      std::memset(gRenderBuffers.chain[i], 0, size_t(frames) * sizeof(float));
    *d = 0;
  }
}

}  // namespace

int16_t SaturateToInt16(float value, bool* clip) {
  if (!(value == value)) return 0;  // NaN
  if (value >= 32767.0f) {
    if (clip && value > 32767.0f) *clip = true;
    return 32767;
  }
  if (value <= -32768.0f) {
    if (clip && value < -32768.0f) *clip = true;
    return -32768;
  }
  return int16_t(value);
}

int32_t SaturateToInt24(float value, bool* clip) {
  if (!(value == value)) return 0;
  if (value >= 8388607.0f) {
    if (clip && value > 8388607.0f) *clip = true;
    return 8388607;
  }
  if (value <= -8388608.0f) {
    if (clip && value < -8388608.0f) *clip = true;
    return -8388608;
  }
  return int32_t(value);
}

int16_t EnsureRenderBuffers(int32_t outputs, int32_t inputs, int32_t scale) {
  if (outputs > 1 && (outputs & 1)) ++outputs;
  if (inputs > 1 && (inputs & 1)) ++inputs;
  if (outputs > kRenderBufferCount) outputs = kRenderBufferCount;
  if (inputs > kRenderBufferCount) inputs = kRenderBufferCount;
  if (scale < 1) scale = 1;
  int32_t frames = RenderBufferFrames();
  int16_t err = 0;
  if (gRenderBuffers.chainFrames != 0 && gRenderBuffers.chainFrames < frames) {
    for (float*& b : gRenderBuffers.chain) {
      DisposeEngineBuffer(b);
      b = nullptr;
    }
  }
  gRenderBuffers.chainFrames = frames;
  for (int32_t i = 0; i < outputs; ++i) {
    if (!gRenderBuffers.chain[i])
      gRenderBuffers.chain[i] = static_cast<float*>(NewEngineBuffer(frames * int32_t(sizeof(float)), &err));
    if (err) return err;
  }
  int32_t secondFrames = frames * scale;
  for (int32_t i = 0; i < inputs; ++i) {
    if (gRenderBuffers.second[i] && gRenderBuffers.secondFrames[i] < secondFrames) {
      DisposeEngineBuffer(gRenderBuffers.second[i]);
      gRenderBuffers.second[i] = nullptr;
    }
    if (!gRenderBuffers.second[i]) {
      gRenderBuffers.second[i] = static_cast<float*>(NewEngineBuffer(secondFrames * int32_t(sizeof(float)), &err));
      if (err) return err;
      gRenderBuffers.secondFrames[i] = secondFrames;
    }
  }
  return 0;
}

void GetPluginGains(const ChannelRenderState* state, float* inputGain, float* wetGain, uint16_t* dryLevel) {
  *inputGain = state->pluginInputGain;
  *wetGain = state->wetGain;
  *dryLevel = state->dryLevel;
}

void SetPluginGains(ChannelRenderState* state, float inputGain, float wetGain, uint16_t dryLevel) {
  state->pluginInputGain = inputGain;
  state->wetGain = wetGain;
  state->dryLevel = dryLevel;
}

// A bypassed chain passes its inputs on; outputs without an input are silence, never what an
// earlier channel left in the buffers.
void PassChainInputs(const ChannelRenderState* state, float* const* inputs, int32_t inputCount, float** outputs,
                     int32_t outputCount, int32_t frames) {
  for (int32_t i = 0; i < outputCount; ++i) {
    outputs[i] = gRenderBuffers.chain[i];
    bool fed = i < inputCount && inputs[i] == gRenderBuffers.chain[i] && (state->audioInput || i >= 2);
    if (!fed && outputs[i]) std::memset(outputs[i], 0, size_t(frames) * sizeof(float));
  }
}

void RenderChannelChain(ChannelRenderState* state, float* const* inputs, int32_t inputCount, float** outputs,
                        int32_t outputCount, int32_t frames, int32_t channels, uint8_t* rendered) {
  if (state->bypass) {
    PassChainInputs(state, inputs, inputCount, outputs, outputCount, frames);
    return;
  }
  if (state->render) {
    state->render(state->renderContext, inputs, inputCount, outputs, outputCount, frames);
    return;
  }
  // The plug-in host swaps pointers in its own copy of the tables: the chain's first two
  // outputs come back in the input table, the others in the output table.
  float* in[kRenderBufferCount] = {};
  float* out[kRenderBufferCount] = {};
  for (int32_t i = 0; i < inputCount && i < kRenderBufferCount; ++i) in[i] = inputs[i];
  if (inputCount < 1) in[0] = nullptr;
  RenderPluginChain(state->chainHead, in, out, frames, channels, rendered);
  for (int32_t i = 0; i < outputCount && i < kRenderBufferCount; ++i) outputs[i] = i < 2 ? in[i] : out[i];
}

bool MixKindOutputFormat(int32_t mixKind, int32_t frameChannels, int32_t* bytesPerSample, int32_t* channels) {
  int32_t fc = frameChannels > 1 ? 2 : 1;
  switch (mixKind) {
    case 0: case 2: case 4: *bytesPerSample = 2; *channels = 1; return true;
    case 1: case 3: case 5: *bytesPerSample = 2; *channels = 2; return true;
    case 6: case 8: case 10: *bytesPerSample = 4; *channels = 1; return true;
    case 9: case 11: *bytesPerSample = 4; *channels = 2; return true;
    case 7: case 30: case 31: case 32: case 33: *bytesPerSample = 4; *channels = fc; return true;
    case 25: case 27: *bytesPerSample = 2; *channels = fc; return true;
    case 18: case 22: *bytesPerSample = 3; *channels = 1; return true;
    case 21: case 23: *bytesPerSample = 3; *channels = 2; return true;
    default: return false;
  }
}

void* RenderEngineChannel(EngineChannel* channel, void* source, void* output, int32_t frames, int32_t level,
                          int32_t half) {
  ChannelRenderState* state = channel->renderState;
  if (!state || !gRenderBuffers.second[1]) return source;
  half &= 1;
  // The tables hold at most 32 channels: a chain that asks for more is not rendered through
  // them (nothing may index past the pointer tables).
  int32_t inCount = state->inputChannels < 0 ? 0 : state->inputChannels;
  int32_t outCount = state->outputChannels < 0 ? 0 : state->outputChannels;
  if (inCount > kRenderBufferCount || outCount > kRenderBufferCount) {
    LatchAudioEngineError(kEngineErrUnsupported);
    return source;
  }
  for (int32_t i = 0; i < (inCount > outCount ? inCount : outCount); ++i)
    if (!gRenderBuffers.chain[i]) return source;
  if (frames > gRenderBuffers.chainFrames) frames = gRenderBuffers.chainFrames;

  float inputGain = 0.0f, wetGain = 0.0f;
  uint16_t dryLevel = 0;
  float* wet[kRenderBufferCount] = {};
  if (state->rewireSource && !(state->chainHead && gInsertEffectsOn.load())) {
    // No ReWire bus is played here: the wet signal is the silent first pair.
    std::memset(gRenderBuffers.chain[0], 0, size_t(frames) * sizeof(float));
    if (gRenderBuffers.chain[1]) std::memset(gRenderBuffers.chain[1], 0, size_t(frames) * sizeof(float));
    wet[0] = gRenderBuffers.chain[0];
    wet[1] = gRenderBuffers.chain[1];
    channel->halfReady[half] = 1;
    MixContext m{channel, source, wet, 2, frames, 32768.0f, 0};
    if (output && WriteMixKind(state->mixKind, state, m, output)) {
      if (m.clip) channel->clipped = 1;
    }
    return output;
  }
  SetPluginRenderChannel(channel);
  // While the clock's lock word is 2 the block's MIDI is left for a later block; a ReWire
  // source takes none.
  if (state->midi && !state->rewireSource && gTransportClock.lock.load() != kClockLockNoMidi)
    DeliverBufferMidi(channel, state->chainHead, state, frames);
  if (!gInsertEffectsOn.load()) {
    channel->wetScale = channel->dryScale;
    void* result = ConvertSourceLayout(channel, source, output, frames);
    SetPluginRenderChannel(nullptr);
    return result;
  }
  channel->wetScale = 1.0f;
  GetPluginGains(state, &inputGain, &wetGain, &dryLevel);
  int32_t d = dryLevel;
  if (level != 32768) {
    d = int32_t(int64_t(d) * level / 32768);
    wetGain = wetGain * float(level) * (1.0f / 32768.0f);
  }
  FillChainInputs(channel, state, source, inCount, frames, inputGain, half, &d);
  // Automation is only tried: a busy lock (the editor replacing the playback copy) plays
  // none this block.
  uint32_t expected = 0;
  if (channel->automationLock.compare_exchange_strong(expected, 1)) {
    PlayAutomationToPlugins(channel, frames);
    ReleaseAutomationLock(channel);
  }
  float* inputs[kRenderBufferCount] = {};
  for (int32_t i = 0; i < inCount; ++i) inputs[i] = gRenderBuffers.chain[i];
  int32_t sourceChannels = channel->sourceChannels ? channel->sourceChannels : channel->frameChannels;
  RenderChannelChain(state, inputs, inCount, wet, outCount, frames, sourceChannels, &channel->halfReady[half]);
  if (output && channel->halfReady[half]) {
    MixContext m{channel, source, wet, outCount, frames, wetGain, d};
    if (!WriteMixKind(state->mixKind, state, m, output)) LatchAudioEngineError(kEngineErrUnsupported);
    if (m.clip) channel->clipped = 1;
  }
  SetPluginRenderChannel(nullptr);
  return output;
}
