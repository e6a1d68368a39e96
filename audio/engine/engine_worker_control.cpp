#include "audio/engine/engine_thread.h"

#include <cstdio>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "platform/threads/host_threads.h"
#include "platform/threads/thread_pauses.h"

int32_t StartRealtimeThread(uint32_t capacity, EngineWorker* worker, EngineWorkerEntry entry, uint32_t waitSeconds) {
  worker->waitSeconds = waitSeconds;
  // A thread that ended by itself (quit message) is collected first.
  if (worker->hasThread.load() && !worker->running.load()) {
    CollectEndedHostThread(&worker->thread);
    worker->hasThread.store(false);
  }
  int32_t status = 0;
  if (!worker->ring) {
    worker->ring = NewEngineMessageRing(capacity);
    if (!worker->ring) status = kEngineErrNoMemory;
  }
  if (status == 0 && !worker->hasThread.load()) {
    worker->running.store(true);
    if (StartHostThread(&worker->thread, entry, worker) != 0) {
      worker->running.store(false);
      status = kEngineErrNoMemory;
    } else {
      worker->hasThread.store(true);
      LinkEngineWorker(worker);
    }
  }
  worker->status.store(status);
  return status;
}

bool StopRealtimeThread(EngineWorker* worker, uint32_t timeoutMillis) {
  if (!worker->hasThread.load()) return true;
  if (worker->running.load()) PostEngineMessage(nullptr, kEngineMsgQuit, worker);
  if (!CollectHostThreadWithin(&worker->thread, timeoutMillis)) return false;
  worker->hasThread.store(false);
  return true;
}

bool WaitForEngineWorkerIdle(const EngineWorker* worker, uint32_t timeoutMillis) {
  for (uint32_t waited = 0; waited <= timeoutMillis * 10; ++waited) {
    if (!worker->ring || CountEngineMessages(worker) == 0) return true;
    if (!worker->running.load()) return false;  // nobody left to empty it
    PauseThreadMicros(100);
  }
  return false;
}

bool HoldEngineWorkers(bool hold, uint32_t timeoutMillis) {
  if (!hold) {
    gEngineFlags.fetch_and(uint8_t(~kEngineWorkersHeld));
    return true;
  }
  gEngineFlags.fetch_or(kEngineWorkersHeld);
  EngineWorker* workers[8] = {};
  int32_t count = CopyEngineWorkers(workers, 8);
  // Twice over the list: a worker may post to another while the first pass waits for it.
  bool idle = true;
  for (int32_t pass = 0; pass < 2; ++pass) {
    idle = true;
    for (int32_t i = 0; i < count; ++i) {
      SignalEngineWorker(workers[i]);
      idle = WaitForEngineWorkerIdle(workers[i], timeoutMillis) && idle;
    }
  }
  return idle;
}

void WaitForWorkerSemaphore(const EngineWorker* worker) {
  for (int32_t i = 0; i < 400000; ++i) {
    if (worker->semaphore.load() || !worker->running.load()) break;
    PauseThreadMicros(5);
  }
}

int32_t StartEngineThread() {
  int32_t status = StartRealtimeThread(kEngineRingCapacity, &gEngineQueue, EngineThreadEntry, 13);
  if (status == 0) WaitForWorkerSemaphore(&gEngineQueue);
  if (status != 0 || !gEngineQueue.semaphore.load()) {
    std::fprintf(stderr, "engine thread did not start; mixing in the output procedure\n");
    SetAudioMode(1);
    return status != 0 ? status : kEngineErrNoMemory;
  }
  return 0;
}

