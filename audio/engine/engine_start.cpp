#include "audio/engine/engine_start.h"

#include <algorithm>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/engine_prepare.h"
#include "audio/render/follow_list_hooks.h"
#include "audio/render/mix_cycle.h"
#include "audio/render/stream_pair_sums.h"
#include "audio/render/stream_priming.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/tempo_tables.h"

std::atomic<int32_t> gEngineWarmUpCount{0};
int32_t gAudioSetupFrames = 0;

namespace {

constexpr uint8_t kSyncSourceTimeCode = 2;

// The warm-up: every playing channel of the slots renders a block into the half its primed
// blocks' parity names, its device's selectors back at 0.
int32_t PrimeSlotChannels() {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (!c || !c->device || !(c->song || c->alternateSong) || c->stopped) continue;
    c->device->outputSelector.store(0);
    c->device->routineSelector.store(0);
    PrimeChannelHalf(c);
  }
  return gEngineError.load() == 0 ? 1 : 0;
}

// A start that ran no warm-up (channels kept from a stop in place, or a list made by hand)
// renders its first block here, into selector 0, so that the device's first buffer is not
// empty and the selectors stay in step with the hand-off.
void PrimeFirstBlockUnlessPrimed(EngineChannel* list) {
  for (const EngineChannel* c = list; c; c = c->next)
    if (c->primedBlocks != 0) return;
  if (list->device) {
    list->device->outputSelector.store(0);
    list->device->routineSelector.store(0);
  }
  MixEngineCycle(list, nullptr, nullptr, nullptr, 0);
  for (EngineChannel* c = list; c; c = c->next) c->primedBlocks = 1;
}

// After the warm-up: channels fed live catch up with what their source wrote ahead of them;
// channels that sum their pair in integers run both halves. True when all are primed.
bool CatchUpChannels(EngineChannel* list, int32_t frames, bool one) {
  const int32_t blocks = CatchUpBlocks(list, frames);
  bool primed = true;
  for (EngineChannel* c = list; c; c = one ? nullptr : c->next) {
    if (!c->integerPairMix) {
      if (c->reverse || c->instrumentSource || c->busSource) continue;
      if (c->externalSource) c->writeCount = 0;
      c->primeDelay = int32_t(std::min<int64_t>(int64_t(c->primedFrames) + int64_t(blocks) * frames, INT32_MAX));
      if (PrimeChannelByCycles(1, c, blocks, frames) == 0) primed = false;
      continue;
    }
    if (!primed) continue;
    SumPairChannels(c, 0);
    SumPairChannels(c, 1);
    if (c->readCount < c->writeCount) c->readCount += frames;
  }
  return primed;
}

float ListRate(const EngineChannel* list) {
  if (list && list->device && list->device->sampleRate > 0.0f) return list->device->sampleRate;
  return gAudioSampleRate;
}

}  // namespace

int32_t PrimeEngineRender(EngineChannel* list, int32_t frames, bool one) {
  if (!list) return 0;
  int32_t count = gEngineWarmUpCount.load();
  if (count > 0) {
    gEngineWarmUpCount.store(--count);
    int32_t result = 0;
    if (count == 0) {
      PrimeAllChannels(list);
      result = 1;
    } else {
      result = PrimeSlotChannels();
      UpdateFollowList(list, gTransportClock.samplePosition);
      if (!result) return 0;
      result = 0;
    }
    return PrimeLatencyCompensation(result, 1);
  }
  PrimeFirstBlockUnlessPrimed(list);
  bool primed = CatchUpChannels(list, frames, one);
  ClearClockStatusWord();
  return primed ? 1 : 0;
}

int64_t EngineStartOffset(int32_t bufferFrames, int32_t requestedRate) {
  if (requestedRate == 0) return 0;
  return int64_t(gAudioSetupFrames) + kStartOffsetFrames - bufferFrames;
}

int16_t TickDebtForFrames(int64_t frames, float sampleRate) {
  double perTick = GetMicrosecondsPerTick();
  if (frames <= 0 || sampleRate <= 0.0f || perTick <= 0.0) return 0;
  double ticks = double(frames) * 1000000.0 / double(sampleRate) / perTick;
  return int16_t(-std::min(ticks, 32767.0));
}

bool ClockWaitsForSyncStart() { return gAudioClockMode && gClockSyncSource == kSyncSourceTimeCode; }

void ApplyEngineStartOffset(int64_t offset, float sampleRate) {
  gEngineSampleClock.store(offset);
  if (offset < 0 && !ClockWaitsForSyncStart()) gTransportClock.tickDebt = TickDebtForFrames(-offset, sampleRate);
}

void RenderPrimeState(EngineChannel* list) {
  if (!PrimeEngineRender(list, gAudioBufferFrames.load(), false)) return;
  TransportClock& clock = gTransportClock;
  // Following the audio clock, the device stays primed until the sync source runs.
  if (gAudioClockMode && !gClockSecondSyncByte && !clock.syncRunning) return;
  SetAudioDriverState(kDriverWarmUp);
  int64_t sampleClock = gEngineSampleClock.load();
  if (sampleClock < 0) return;
  bool waits = ClockWaitsForSyncStart();
  int64_t before = gAudioBufferFrames.load() - sampleClock;
  if (before > 0 && !waits) clock.tickDebt = TickDebtForFrames(before, ListRate(list));
  if (!waits) clock.syncRunning = clock.syncStarted = 1;
}
