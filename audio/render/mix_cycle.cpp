#include "audio/render/mix_cycle.h"

#include <cstdio>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/block_conversions.h"
#include "audio/render/channel_render.h"
#include "audio/render/follow_list_hooks.h"
#include "audio/render/stream_block_mix.h"
#include "audio/render/stream_pair_sums.h"
#include "platform/threads/thread_pauses.h"
#include "sequencer/clock/transport_clock.h"

std::atomic<int32_t> gRefillPending{0};
std::atomic<uint8_t> gJukeboxPlaying{0};

namespace {

constexpr int32_t kRefillPollMicros = 10;

bool HalfArrived(const EngineChannel* c, uint32_t half) {
  return c->halfRequested[half].load(std::memory_order_acquire) == c->halfCompleted[half].load(std::memory_order_acquire);
}

// An underrun: latched, or only noted while the jukebox plays. True when the channel is
// skipped.
bool ReportUnderrun() {
  if (gJukeboxPlaying.load()) {
    std::fputs("jukebox slow!\n", stderr);
    return false;
  }
  LatchAudioEngineError(kEngineErrUnderrun);
  return true;
}

// The format of what RenderEngineChannel handed back.
void RenderedFormat(const EngineChannel* c, const void* result, const void* source, int32_t* bytes,
                    int32_t* channels) {
  if (result == source || !c->renderState ||
      !MixKindOutputFormat(c->renderState->mixKind, c->frameChannels, bytes, channels)) {
    *bytes = c->sampleBits > 16 ? 4 : 2;
    *channels = c->frameChannels > 1 ? 2 : 1;
    return;
  }
  if (*channels > 2) *channels = 2;
}

// A punched-in channel: while the transport records, one that is no record source is skipped
// (true); once recording ends the punch is over and a streamed channel takes back the block it
// was ahead by, when its half still holds it.
bool SkipForPunch(EngineChannel* c, uint32_t s) {
  if (!c->punch) return false;
  if (gEngineSeesRecording.load(std::memory_order_relaxed)) {
    if (c->recordSource) return false;
    c->selectorRendered[s ^ 1u] = 0;
    return true;
  }
  c->punch = 0;
  c->lateCounters[0] = c->lateCounters[1] = 0;
  uint8_t* half = static_cast<uint8_t*>(c->halfBuffer[c->currentHalf & 1]);
  if (!c->recordSource && c->readPointer && c->readPointer - c->blockBytes >= half) {
    c->readPointer -= c->blockBytes;
    ++c->blocksLeft;
  }
  return false;
}

// The block lies wholly inside the playing half: a count that runs past the half's end never
// plays the memory behind it.
bool InsideHalf(const EngineChannel* c, const uint8_t* block) {
  const auto* half = static_cast<const uint8_t*>(c->halfBuffer[c->currentHalf & 1]);
  if (!half || c->blockBytes <= 0) return true;  // a source of its own lays out its halves
  return block >= half && block + c->blockBytes <= half + int64_t(c->blocksPerHalf) * c->blockBytes;
}

// A linked channel plays what the channel it is linked to spread into its render block.
void MixSpreadBlock(EngineChannel* c, uint32_t s) {
  MixStreamBlock(c, c->renderBlock, s, 1, c->spreadBytes, c->frameChannels > 1 ? 2 : 1);
  c->spreadBytes = 0;
}

// The stream pass of one channel: the next block of the playing half, flipping halves and
// asking for the refill of the half just used up.
void MixStreamChannel(EngineChannel* c, uint32_t s, int32_t filter) {
  if (c->earlyRefill) {
    ++c->blockCounter;
    if (c->blocksLeft > 4) {
      uint32_t other = c->currentHalf ^ 1u;
      if (!c->halfBusy[other] && HalfArrived(c, other) && c->halfReady[other] == 0)
        RequestHalfRefill(c, int32_t(other), &gDiskQueue);
    }
  }
  if (c->readPointer && !InsideHalf(c, c->readPointer)) c->blocksLeft = 0;  // the half is used up
  if (c->blocksLeft <= 0) {
    if (c->earlyRefill) {
      LatchAudioEngineError(kEngineErrUnderrun);
      return;
    }
    uint32_t used = c->currentHalf;
    c->currentHalf = used ^ 1u;
    if (gRefillPending.load()) {
      WaitForDiskRefill(filter);
      gRefillPending.store(0);
    }
    // The half to play now must have arrived: a refill that is still running is an underrun.
    bool arrived = HalfArrived(c, c->currentHalf);
    if (c->sourceKind == 0 && !arrived && ReportUnderrun()) {
      c->currentHalf = used;  // stay put; the next cycle looks again
      return;
    }
    c->halfReady[used] = 0;
    if (RequestHalfRefill(c, int32_t(used), &gDiskQueue) != 0) return;
    c->readPointer = static_cast<uint8_t*>(c->halfBuffer[c->currentHalf]);
    // A reverse channel's half holds its material forwards: it plays backwards from its end.
    if (c->reverse)
      ReverseFrames(c->readPointer, int32_t(c->framesPerBlock) * c->blocksPerHalf, c->frameChannels > 1 ? 2 : 1,
                    c->sampleBits);
    c->blocksLeft = c->blocksPerHalf;
  }
  uint8_t* block = c->readPointer;
  if (!block) return;
  c->readPointer = block + c->blockBytes;
  --c->blocksLeft;
  RenderAndMixChannel(c, block, s, c->currentHalf);
}

}  // namespace

void RenderAndMixChannel(EngineChannel* c, void* block, uint32_t s, uint32_t half) {
  half &= 1;
  void* result = RenderEngineChannel(c, block, c->renderBlock, c->framesPerBlock, 32768, int32_t(half));
  int32_t bytes = 0, channels = 0;
  RenderedFormat(c, result, block, &bytes, &channels);
  MixStreamBlock(c, result, s, result == block ? 1 : c->halfReady[half], bytes, channels);
}

void MixChannelInCycle(EngineChannel* c, uint32_t s, EngineWorker* worker, int32_t filter,
                       bool routine) {
  if (SkipForPunch(c, s)) return;
  if (c->spreadBytes && !c->renderState) {
    MixSpreadBlock(c, s);
    return;
  }
  if (c->instrumentSource || c->busSource) {
    if (c->integerPairMix) {
      SumPairChannels(c, s);
      return;
    }
    if (routine) c->selectorRendered[s ^ 1u] = 0;
    SumPairChannelsFloat(c, s);
    return;
  }
  (void)worker;  // refills always go to the disk worker
  MixStreamChannel(c, s, filter);
}

namespace {

bool Selected(const EngineChannel* c, int32_t filter) {
  return c && !c->stopped && (filter < 0 || c->channelNumber == filter);
}

// A located channel's pending half (the next it plays) is read again from the new position at
// once; one whose refill is still under way takes the locate with that refill.
void RefillLocatedChannels(int32_t filter) {
  bool posted = false;
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (!Selected(c, filter) || !c->locatePending.load(std::memory_order_acquire)) continue;
    uint32_t half = c->pendingHalf & 1u;
    if (HalfArrived(c, half)) posted = RequestHalfRefill(c, int32_t(half), &gDiskQueue) == 0 || posted;
  }
  // The cycle waits for these: the disk is woken now, not when the cycle's wake-up is due.
  if (posted) SignalEngineWorker(&gDiskQueue);
}

bool AnyRefillOutstanding(int32_t filter) {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    const EngineChannel* c = gEngineChannelLists[i];
    if (!Selected(c, filter) || !c->streaming) continue;
    if (!HalfArrived(c, 0) || !HalfArrived(c, 1)) return true;
  }
  return false;
}

}  // namespace

void WaitForDiskRefill(int32_t filter) {
  RefillLocatedChannels(filter);
  float rate = gAudioSampleRate > 0.0f ? gAudioSampleRate : 44100.0f;
  int64_t periodMicros = int64_t(double(gAudioBufferFrames.load()) * 1e6 / double(rate));
  int64_t polls = periodMicros / kRefillPollMicros;
  if (polls < 1) polls = 1;
  for (int64_t i = 0; i < polls && AnyRefillOutstanding(filter); ++i) PauseThreadMicros(kRefillPollMicros);
}

int32_t RequestHalfRefill(EngineChannel* channel, int32_t half, EngineWorker* worker) {
  half &= 1;
  channel->pendingHalf = uint8_t(half);
  channel->halfBusy[half] = 1;
  channel->halfRequested[half].fetch_add(1, std::memory_order_release);
  int32_t result = PostEngineMessage(channel, kEngineMsgReaderHalf0 + half, worker ? worker : &gDiskQueue);
  if (result != 0) {
    // Not queued: take the request back so the half does not wait for a refill that never
    // comes, and stop the channel for the rest of the run: its half holds what it played.
    channel->halfRequested[half].fetch_sub(1, std::memory_order_release);
    channel->halfBusy[half] = 0;
    LatchAudioEngineError(int16_t(result));
    channel->stopped = 1;
    channel->selectorRendered[0] = channel->selectorRendered[1] = 0;
  }
  return result;
}

int32_t MixEngineCycle(EngineChannel* list, ChannelCycleRoutine routine, void* routineArgument,
                       EngineWorker* worker, int32_t filter) {
  (void)worker;
  if (!list) return 0;
  DeferredWorkerSignals oneWakeUp;  // the refills of this cycle wake the disk once
  if (gEngineFlags.load() & kEngineWorkersHeld) {
    for (EngineChannel* c = list; c; c = c->next) {
      c->stopped = 1;
      c->heldBlocks[0] = c->heldBlocks[1] = 0;
    }
  }
  if (filter < 1)
    for (EngineChannel* c = list; c; c = c->next) c->stoppedThisCycle = c->stopped;
  AudioDriverOps* device = list->device;
  uint32_t s = device ? device->outputSelector.load() & 1 : 0;
  if (filter < 1) ClearClockStatusWord();
  if (routine) {
    uint32_t r = device ? device->routineSelector.load() & 1 : 0;
    for (EngineChannel* c = list; c; c = c->next) {
      uint32_t h = c->currentHalf & 1;
      if (!HalfArrived(c, h) && c->sourceKind == 0 && ReportUnderrun()) continue;
      if (!c->stoppedThisCycle) routine(c, r, routineArgument);
    }
    if (device) device->routineSelector.fetch_xor(1);
  }
  for (EngineChannel* c = list; c; c = c->next) {
    if (c->stopped) continue;
    if (filter >= 0 && c->channelNumber != filter) continue;
    MixChannelInCycle(c, s, worker, filter, routine != nullptr);
  }
  if (filter < 1) {
    UpdateFollowList(list, gTransportClock.samplePosition);
    if (device) device->outputSelector.fetch_xor(1);
  }
  return 0;
}
