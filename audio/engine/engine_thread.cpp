#include "audio/engine/engine_thread.h"

#include <cstdio>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/mix_cycle.h"
#include "audio/streams/stream_reads.h"
#include "platform/coreaudio/audio_host_time.h"
#include "platform/threads/mach_semaphores.h"
#include "platform/threads/thread_pauses.h"
#include "platform/threads/thread_policy.h"

EngineWorker gEngineQueue;
EngineWorker gDiskQueue;
EngineWorker* gEngineWorkers = nullptr;
std::atomic<void*> gEngineRecordObject{nullptr};

namespace {

// A full ring is retried: first by yielding, then with 20-microsecond sleeps, about 20 ms in
// all, before the message is refused.
constexpr int32_t kPostYields = 64;
constexpr int32_t kPostRetries = kPostYields + 1000;
EngineRequestHandler gRequestHandlers[10] = {};
std::atomic_flag gWorkerListLock = ATOMIC_FLAG_INIT;

void LockWorkerList() {
  while (gWorkerListLock.test_and_set(std::memory_order_acquire)) YieldProcessor();
}
void UnlockWorkerList() { gWorkerListLock.clear(std::memory_order_release); }

void UnlinkWorker(EngineWorker* worker) {
  LockWorkerList();
  for (EngineWorker** p = &gEngineWorkers; *p; p = &(*p)->next) {
    if (*p == worker) {
      *p = worker->next;
      break;
    }
  }
  worker->next = nullptr;
  UnlockWorkerList();
}

// While a thread defers its signals, posts only note which workers are owed one.
thread_local DeferredWorkerSignals* tDeferredSignals = nullptr;

int32_t RunMessage(EngineWorker* worker, const EngineMessage& m, bool* quit) {
  switch (m.code) {
    case kEngineMsgNone: return kEngineErrUnsupported;
    case kEngineMsgReaderHalf0:
    case kEngineMsgReaderHalf1:
      return m.object ? RunStreamDecode(static_cast<EngineChannel*>(m.object), m.code - 4) : 0;
    case kEngineMsgMixCycle: {
      if (m.object && m.object == gEngineRecordObject.load()) gEngineSampleClock.fetch_add(gAudioBufferFrames.load());
      int32_t result = MixEngineCycle(static_cast<EngineChannel*>(m.object), nullptr, nullptr, worker,
                                      worker->mixChannelFilter);
      worker->cyclesMixed.fetch_add(1, std::memory_order_release);
      return result;
    }
    case kEngineMsgForwardRecord: return PostEngineMessage(m.object, kEngineMsgWriteRecord, &gDiskQueue);
    case kEngineMsgQuit: *quit = true; return 0;
    case kEngineMsgReadHalf0:
    case kEngineMsgReadHalf1:
    case kEngineMsgWriteRecord:
    case kEngineMsgRenderPlugin: {
      EngineRequestHandler h = gRequestHandlers[m.code];
      return h ? h(m.object, m.code, worker) : 0;
    }
    default: return 0;
  }
}

}  // namespace

int32_t RunStreamDecode(EngineChannel* channel, int32_t half) {
  half &= 1;
  int32_t result = DecodeStreamHalf(channel, half);
  channel->halfBusy[half] = 0;
  channel->halfCompleted[half].fetch_add(1, std::memory_order_release);
  return result;
}

void LinkEngineWorker(EngineWorker* worker) {
  LockWorkerList();
  worker->next = gEngineWorkers;
  gEngineWorkers = worker;
  UnlockWorkerList();
}

int32_t CopyEngineWorkers(EngineWorker** workers, int32_t capacity) {
  int32_t count = 0;
  LockWorkerList();
  for (EngineWorker* w = gEngineWorkers; w && count < capacity; w = w->next) workers[count++] = w;
  UnlockWorkerList();
  return count;
}

void SignalEngineWorker(EngineWorker* worker) {
  semaphore_t s = worker->semaphore.load(std::memory_order_acquire);
  if (s) semaphore_signal(s);
}

void SetEngineRequestHandler(int32_t code, EngineRequestHandler handler) {
  if (code >= 0 && code < 10) gRequestHandlers[code] = handler;
}

int32_t RunEngineWorker(EngineWorker* worker) {
  mach_timespec_t idle{worker->waitSeconds ? worker->waitSeconds : 8u, 0};
  if (!worker->semaphore.load()) {
    semaphore_t s = 0;
    kern_return_t kr = semaphore_create(mach_task_self(), &s, SYNC_POLICY_FIFO, 0);
    worker->status.store(kr);
    if (kr != KERN_SUCCESS || !s) {
      DisposeEngineWorker(worker);
      worker->running.store(false);
      return 0;
    }
    worker->semaphore.store(s, std::memory_order_release);
  }
  bool quit = false;
  EngineMessage pending;
  bool havePending = false;
  while (!quit) {
    int32_t error = 0;
    while (error == 0 && !quit) {
      if (!havePending && !TakeEngineMessage(worker->ring, &pending)) break;
      havePending = false;
      worker->messagesTaken.fetch_add(1, std::memory_order_relaxed);
      error = RunMessage(worker, pending, &quit);
    }
    // After a failed message the pass starts again at once: the messages behind it do not
    // wait for the next signal.
    if (error != 0) LatchAudioEngineError(int16_t(error));
    else if (!quit) semaphore_timedwait(worker->semaphore.load(), idle);
  }
  DisposeEngineWorker(worker);
  worker->running.store(false, std::memory_order_release);
  return 0;
}

thread_local bool tOnDeviceThread = false;

EngineDeviceThreadScope::EngineDeviceThreadScope() : previous_(tOnDeviceThread) { tOnDeviceThread = true; }

EngineDeviceThreadScope::~EngineDeviceThreadScope() { tOnDeviceThread = previous_; }

int32_t PostEngineMessage(void* object, int32_t code, EngineWorker* worker) {
  EngineMessageRing* ring = worker->ring;
  if (!ring) {
    worker->overflows.fetch_add(1);
    return kEngineErrRingFull;
  }
  bool selfPost = worker->hasThread.load() && IsCurrentHostThread(worker->thread);
  for (int32_t attempt = 0;; ++attempt) {
    if (TryAppendEngineMessage(ring, object, code)) {
      if (tDeferredSignals == nullptr || !tDeferredSignals->Owe(worker)) SignalEngineWorker(worker);
      return 0;
    }
    // Full: wake the worker and give it a moment, a bounded number of times. The worker
    // posting to its own ring cannot wait for itself.
    SignalEngineWorker(worker);
    if (tOnDeviceThread || selfPost || attempt >= kPostRetries || !worker->running.load()) break;
    if (attempt < kPostYields) YieldProcessor();
    else PauseThreadMicros(20);
  }
  worker->overflows.fetch_add(1);
  if (!(worker->flags.load() & kWorkerFlagQuietFullRing)) LatchAudioEngineError(kEngineErrRingFull);
  return kEngineErrRingFull;
}

int32_t CountEngineMessages(const EngineWorker* worker) { return CountRingMessages(worker->ring); }

void DisposeEngineWorker(EngineWorker* worker) {
  UnlinkWorker(worker);
  semaphore_t s = worker->semaphore.exchange(0);
  if (s) semaphore_destroy(mach_task_self(), s);
  worker->flags.fetch_and(~0x02u);
  EngineMessageRing* ring = worker->ring;
  worker->ring = nullptr;
  DisposeEngineMessageRing(ring);
}

int16_t SetThreadPolicy(int32_t mode, int32_t timeshare, int32_t importance, double periodSeconds) {
  if (mode < 2 || mode > 5) return -50;
  thread_act_t self = mach_thread_self();
  if (mode <= 3) {
    thread_extended_policy_data_t extended{timeshare != 0};
    kern_return_t kr = thread_policy_set(self, THREAD_EXTENDED_POLICY, reinterpret_cast<thread_policy_t>(&extended),
                                         THREAD_EXTENDED_POLICY_COUNT);
    if (kr != KERN_SUCCESS) return int16_t(kr);
    thread_precedence_policy_data_t precedence{importance};
    return int16_t(thread_policy_set(self, THREAD_PRECEDENCE_POLICY, reinterpret_cast<thread_policy_t>(&precedence),
                                     THREAD_PRECEDENCE_POLICY_COUNT));
  }
  double period = periodSeconds * AudioGetHostClockFrequency();
  thread_time_constraint_policy_data_t tc{};
  tc.period = uint32_t(period);
  tc.computation = uint32_t(period * (mode - 1) / 5.0);
  tc.constraint = uint32_t(period * 0.8);
  tc.preemptible = 1;
  return int16_t(thread_policy_set(self, THREAD_TIME_CONSTRAINT_POLICY, reinterpret_cast<thread_policy_t>(&tc),
                                   THREAD_TIME_CONSTRAINT_POLICY_COUNT));
}

void DrainSemaphore(semaphore_t semaphore) {
  if (!semaphore) return;
  mach_timespec_t none{0, 10};
  // Bounded: every pending signal is taken, and at most this many.
  for (int32_t i = 0; i < 1 << 20; ++i) {
    if (semaphore_timedwait(semaphore, none) != KERN_SUCCESS) return;
  }
}

void* EngineThreadEntry(void* arg) {
  EngineWorker* worker = static_cast<EngineWorker*>(arg);
  worker->flags.fetch_or(kWorkerFlagQuietFullRing);
  double period = double(gAudioBufferFrames.load()) / gAudioSampleRate;
  worker->periodNanoseconds = uint32_t(period * 1e9);
  int32_t mode = GetAudioMode();
  int16_t r = SetThreadPolicy(mode, 0, mode == 2 ? 60 : 63, period);
  if (r != 0) std::fprintf(stderr, "engine thread: scheduling policy refused (%d), running normally\n", r);
  RunEngineWorker(worker);
  return nullptr;
}

DeferredWorkerSignals::DeferredWorkerSignals() : outer_(tDeferredSignals) {
  if (outer_ == nullptr) tDeferredSignals = this;
}

DeferredWorkerSignals::~DeferredWorkerSignals() {
  if (outer_ != nullptr) return;
  tDeferredSignals = nullptr;
  for (int32_t i = 0; i < count_; ++i) SignalEngineWorker(owed_[i]);
}

bool DeferredWorkerSignals::Owe(EngineWorker* worker) {
  for (int32_t i = 0; i < count_; ++i) {
    if (owed_[i] == worker) return true;
  }
  if (count_ == kMaxOwed) return false;  // the caller signals at once
  owed_[count_++] = worker;
  return true;
}
