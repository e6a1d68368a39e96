#include "audio/streams/disk_thread.h"

#include <cstdio>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/stream_reads.h"
#include "sequencer/clock/sequencer_clock.h"
#include "shell/base/error_report.h"

namespace {

constexpr uint32_t kDiskIdleSeconds = 8;
constexpr int32_t kDiskImportance = 62;

}  // namespace

int32_t StartDiskThread() {
  int32_t status = StartRealtimeThread(kDiskRingCapacity, &gDiskQueue, RunDiskThread, kDiskIdleSeconds);
  if (status == 0) WaitForWorkerSemaphore(&gDiskQueue);
  if (status != 0) {
    ReportError(status);
    HaltSequencerTicks();
  }
  ResetReadRequestPool();
  // Channels that stand in the slots already (made before the preparation, like the click's)
  // keep their places on their devices.
  if (gEngineChannelCount == 0) {
    for (AudioDriverOps* d = gOutputDevices; d; d = d->next) d->channelList = nullptr;
  }
  return status;
}

void* RunDiskThread(void* arg) {
  auto* worker = static_cast<EngineWorker*>(arg);
  int16_t r = SetThreadPolicy(2, 0, kDiskImportance, 0.0);
  if (r != 0) std::fprintf(stderr, "disk thread: scheduling policy refused (%d), running normally\n", r);
  RunEngineWorker(worker);
  return nullptr;
}
