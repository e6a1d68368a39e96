#include "audio/render/stream_pair_sums.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/render/mix_cycle.h"
#include "audio/render/stream_accumulate.h"
#include "audio/render/stream_block_mix.h"

namespace {

constexpr int32_t kUnityGain = 32768;
constexpr float kQ15 = 1.0f / 32768.0f;

int32_t MeterWord(float peak) {
  float word = peak * 32768.0f;
  return word >= 32767.0f ? 32767 : int32_t(word);
}

bool SharesPair(const EngineChannel* c, const EngineChannel* reference) {
  return c != reference && c->device == reference->device && c->outputPair == reference->outputPair;
}

int32_t BlockFrames(const EngineChannel* c) { return std::max<int32_t>(c->framesPerBlock, 0); }

// The channels after the reference on its pair that wrote their half this cycle, into the
// reference's half.
void SumMembers(EngineChannel* reference, uint32_t s, bool integer) {
  for (EngineChannel* c = reference->next; c; c = c->next) {
    if (!SharesPair(c, reference) || !c->selectorRendered[s] || !c->mixBuffer[s]) continue;
    const int32_t frames = std::min(BlockFrames(c), BlockFrames(reference));
    MeterPairHalf(c, c->mixBuffer[s], BlockFrames(c));
    if (integer)
      AccumulateHalfInt16(c->mixBuffer[s], reference, s, frames, kUnityGain, kUnityGain);
    else
      AccumulateFloat(c->mixBuffer[s], reference, s, frames, kUnityGain, kUnityGain, 2, kQ15);
    c->selectorRendered[s] = 0;
  }
}

// The walk alone: a channel that renders nothing of its own keeps what was summed into its
// half; its position and automation still move on with the block.
void WalkOnly(EngineChannel* c) {
  uint8_t* cursor = c->automationCursor;
  c->position = AdvanceStreamPosition(c, &cursor);
  c->automationCursor = cursor;
}

// A bus whose half holds its samples as its renderer reads them (float, stereo) renders its
// chain over them; a half nobody wrote this cycle is silence (the chain's tail plays on).
void* BusSource(EngineChannel* c, uint32_t s, uint32_t half) {
  if (!c->busSource || c->sampleBits <= 16 || c->frameChannels != 2 || !c->mixBuffer[s]) return nullptr;
  if (!c->selectorRendered[s]) std::memset(c->mixBuffer[s], 0, size_t(BlockFrames(c)) * 2 * sizeof(float));
  c->halfReady[half] = 1;
  return c->mixBuffer[s];
}

void RunReference(EngineChannel* c, uint32_t s) {
  if ((c->channelFlags & kChannelSkipRenderer) || !c->renderState) {
    WalkOnly(c);
    return;
  }
  const uint32_t half = c->currentHalf & 1;
  RenderAndMixChannel(c, BusSource(c, s, half), s, half);
}

void SumPair(EngineChannel* reference, uint32_t s, bool integer) {
  s &= 1;
  if (reference->busSource) {
    SumMembers(reference, s, integer);
    RunReference(reference, s);
    return;
  }
  RunReference(reference, s);
  SumMembers(reference, s, integer);
}

}  // namespace

void MeterPairHalf(EngineChannel* channel, const float* half, int32_t frames) {
  float left = 0.0f, right = 0.0f;
  for (int32_t f = 0; half && f < frames; ++f) {
    left = std::max(left, std::fabs(half[2 * f]));
    right = std::max(right, std::fabs(half[2 * f + 1]));
  }
  channel->peakLeft = MeterWord(left);
  channel->peakRight = MeterWord(right);
}

void SumPairChannels(EngineChannel* reference, uint32_t selector) {
  if (reference) SumPair(reference, selector, true);
}

void SumPairChannelsFloat(EngineChannel* reference, uint32_t selector) {
  if (reference) SumPair(reference, selector, false);
}
