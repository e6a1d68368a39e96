#include "audio/engine/engine_start.h"

#include <algorithm>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "audio/render/mix_cycle.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/tempo_tables.h"

std::atomic<int32_t> gEngineWarmUpCount{0};
int32_t gAudioSetupFrames = 0;

namespace {

constexpr uint8_t kSyncSourceTimeCode = 2;

// The first block goes into selector 0, mixed here before anything reaches the device.
void PrimeFirstBlock(EngineChannel* list) {
  if (list->device) {
    list->device->outputSelector.store(0);
    list->device->routineSelector.store(0);
  }
  MixEngineCycle(list, nullptr, nullptr, &gEngineQueue, 0);
}

float ListRate(const EngineChannel* list) {
  if (list && list->device && list->device->sampleRate > 0.0f) return list->device->sampleRate;
  return gAudioSampleRate;
}

}  // namespace

int32_t PrimeEngineRender(EngineChannel* list) {
  if (!list) return 0;
  int32_t count = gEngineWarmUpCount.load();
  if (count > 0) {
    gEngineWarmUpCount.store(--count);
    if (count > 0) return 0;
  }
  PrimeFirstBlock(list);
  return 1;
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
  if (!PrimeEngineRender(list)) return;
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
