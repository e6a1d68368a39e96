#include "audio/render/stream_priming.h"

#include <algorithm>
#include <cstdlib>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_run_state.h"
#include "audio/render/channel_render.h"
#include "audio/render/follow_list_hooks.h"
#include "audio/render/mix_cycle.h"
#include "audio/render/stream_pair_sums.h"
#include "sequencer/clock/transport_clock.h"

namespace {

bool HasSong(const EngineChannel* c) { return c->song || c->alternateSong; }

bool Feeds(const EngineChannel* owner, const EngineChannel* c) {
  for (int32_t i = 0; i < kMaxStreamChannels && owner->streamChannels[i]; ++i)
    if (owner->streamChannels[i] == c) return true;
  for (int32_t i = 0; i < kMaxLinkedChannels && owner->linkedChannels[i]; ++i)
    if (owner->linkedChannels[i] == c) return true;
  return false;
}

// A channel that its owner renders for: it is primed with its owner.
bool WaitsForOwner(const EngineChannel* list, const EngineChannel* c) {
  for (const EngineChannel* owner = list; owner; owner = owner->next)
    if (owner != c && Feeds(owner, c)) return true;
  return false;
}

int32_t WholeBlocks(int64_t frames, int32_t blockFrames) {
  if (blockFrames <= 0 || frames <= 0) return 0;
  return int32_t((frames + blockFrames - 1) / blockFrames);
}

int32_t LatencyDifference(const EngineChannel* c) {
  int64_t latency = c->renderState ? int64_t(c->renderState->chainLatency) : 0;
  return int32_t(std::min<int64_t>(std::llabs(latency - c->latencyCompensation), INT32_MAX));
}

bool RendersOwnChain(const EngineChannel* c) {
  return c->renderState && !(c->channelFlags & kChannelSkipRenderer) && !c->stopped;
}

// The instrument channels of the slots, then the aux busses.
template <class Visit>
void ForEachLatencyChannel(Visit visit) {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (c && c->instrumentSource) visit(c);
  }
  for (EngineChannel* c = gAuxBusChannels; c; c = c->next) visit(c);
}

int32_t LargestLatencyBlocks(int32_t frames) {
  int32_t blocks = 0;
  ForEachLatencyChannel([&](EngineChannel* c) { blocks = std::max(blocks, WholeBlocks(LatencyDifference(c), frames)); });
  return blocks;
}

// A channel's pre-roll goes onto its start delay once per preparation.
void TakePreRoll(EngineChannel* c) {
  if (c->primeDelay != 0) return;
  c->primeDelay = LatencyDifference(c);
  c->startDelay += c->primeDelay;
}

uint32_t ChannelSelector(const EngineChannel* c) { return c->device ? c->device->outputSelector.load() & 1 : 0; }

}  // namespace

void PrimeChannelHalf(EngineChannel* channel) {
  if (!channel) return;
  MixChannelInCycle(channel, channel->primedBlocks & 1, nullptr, -1, false);
  ++channel->primedBlocks;
  channel->primedFrames += std::max<int32_t>(channel->framesPerBlock, 0);
}

void PrimeAllChannels(EngineChannel* list) {
  for (EngineChannel* c = list; c; c = c->next) {
    if (!HasSong(c) || c->stopped || WaitsForOwner(list, c)) continue;
    PrimeChannelHalf(c);
  }
  UpdateFollowList(list, gTransportClock.samplePosition);
}

int32_t PrimeChannelByCycles(int32_t result, EngineChannel* channel, int32_t blocks, int32_t frames) {
  if (!channel) return 0;
  AudioDriverOps* device = channel->device;
  for (int32_t n = 0; n < blocks && channel->primedFrames < channel->primeDelay; ++n) {
    EngineChannel* next = channel->next;
    EngineChannel* current = gEngineChannels;
    uint32_t selector = device ? device->outputSelector.load() : 0;
    channel->next = nullptr;
    gEngineChannels = nullptr;
    MixEngineCycle(channel, nullptr, nullptr, nullptr, -1);
    channel->next = next;
    gEngineChannels = current;
    if (device) device->outputSelector.store(selector);
    channel->primedFrames += frames;
  }
  return channel->primedFrames >= channel->primeDelay ? result : 0;
}

int32_t PrimeLatencyCompensation(int32_t firstCycle, int32_t cycles) {
  const int32_t frames = gAudioBufferFrames.load();
  if (cycles <= 0 || frames <= 0) return firstCycle;
  int32_t result = firstCycle;
  gTransportClock.samplePosition -= double(cycles) * double(frames);
  for (int32_t k = 0; k < cycles; ++k) {
    const int32_t blocks = LargestLatencyBlocks(frames);
    ForEachLatencyChannel([&](EngineChannel* c) {
      if (blocks == 0 || !RendersOwnChain(c)) return;
      TakePreRoll(c);
      if (PrimeChannelByCycles(1, c, blocks, frames) == 0) result = 0;
      SumPairChannelsFloat(c, ChannelSelector(c));
    });
    gTransportClock.samplePosition += double(frames);
  }
  return result;
}

int32_t CatchUpBlocks(const EngineChannel* list, int32_t frames) {
  int32_t blocks = 0;
  for (const EngineChannel* c = list; c; c = c->next)
    blocks = std::max(blocks, WholeBlocks(std::llabs(c->writeCount - c->readCount), frames));
  return blocks;
}
