// The engine message ring and its worker thread: slots are claimed atomically by several
// producers, nothing is lost or reordered per producer, a full ring is retried and then
// refused and counted, and the worker loop handles its codes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_thread.h"
#include "platform/threads/mach_semaphores.h"

namespace {

constexpr int kProducers = 6;
constexpr int kPerProducer = 20000;

std::atomic<uint32_t> gNextExpected[kProducers];
std::atomic<uint32_t> gReceived{0};
std::atomic<uint32_t> gOutOfOrder{0};

int32_t CountingHandler(void* object, int32_t, EngineWorker*) {
  uintptr_t v = reinterpret_cast<uintptr_t>(object);
  uint32_t producer = uint32_t(v >> 24), seq = uint32_t(v & 0xFFFFFF);
  if (producer >= kProducers || gNextExpected[producer].load() != seq) gOutOfOrder.fetch_add(1);
  else gNextExpected[producer].store(seq + 1);
  gReceived.fetch_add(1);
  return 0;
}

void* TestWorkerEntry(void* worker) {
  RunEngineWorker(static_cast<EngineWorker*>(worker));
  return nullptr;
}

bool WaitFor(const std::atomic<uint32_t>& value, uint32_t wanted) {
  for (int i = 0; i < 20000 && value.load() < wanted; ++i) usleep(250);
  return value.load() >= wanted;
}

TEST(EngineMessageRing, HoldsItsCapacityAndCountsAcrossTheWrap) {
  EngineMessageRing* ring = NewEngineMessageRing(16);
  ASSERT_NE(ring, nullptr);
  EXPECT_EQ(NewEngineMessageRing(12), nullptr);  // not a power of two
  EngineMessage m;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(TryAppendEngineMessage(ring, nullptr, i + 1));
    EXPECT_FALSE(TryAppendEngineMessage(ring, nullptr, 99));
    EXPECT_EQ(CountRingMessages(ring), 16);
    for (int i = 0; i < 12; ++i) {
      ASSERT_TRUE(TakeEngineMessage(ring, &m));
      EXPECT_EQ(m.code, i + 1);
    }
    EXPECT_EQ(CountRingMessages(ring), 4);
    while (TakeEngineMessage(ring, &m)) {
    }
    EXPECT_EQ(CountRingMessages(ring), 0);
  }
  DisposeEngineMessageRing(ring);
}

TEST(EngineMessageRing, SeveralProducersLoseNothing) {
  static EngineWorker worker;
  for (auto& e : gNextExpected) e.store(0);
  gReceived.store(0);
  gOutOfOrder.store(0);
  SetEngineRequestHandler(kEngineMsgRenderPlugin, CountingHandler);
  ASSERT_EQ(StartRealtimeThread(16, &worker, TestWorkerEntry, 1), 0);
  std::vector<std::thread> producers;
  std::atomic<uint32_t> refused{0};
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([p, &refused] {
      for (int i = 0; i < kPerProducer; ++i) {
        void* object = reinterpret_cast<void*>((uintptr_t(p) << 24) | uintptr_t(i));
        // A refusal is reported to the poster (never a silent loss); this poster tries again.
        for (int attempt = 0; attempt < 1000; ++attempt) {
          if (PostEngineMessage(object, kEngineMsgRenderPlugin, &worker) == 0) break;
          refused.fetch_add(1);
        }
      }
    });
  }
  for (auto& t : producers) t.join();
  EXPECT_TRUE(WaitFor(gReceived, kProducers * kPerProducer));
  // Every refusal was counted; on a loaded machine there may be some.
  EXPECT_EQ(worker.overflows.load(), refused.load());
  EXPECT_EQ(gReceived.load(), uint32_t(kProducers * kPerProducer));
  EXPECT_EQ(gOutOfOrder.load(), 0u);
  EXPECT_TRUE(StopRealtimeThread(&worker, 2000));
  EXPECT_EQ(worker.ring, nullptr);
  SetEngineRequestHandler(kEngineMsgRenderPlugin, nullptr);
  TakeEngineError();
}

TEST(EngineMessageRing, AFullRingWithoutAWorkerIsRefusedAndCounted) {
  static EngineWorker worker;
  TakeEngineError();
  worker.ring = NewEngineMessageRing(16);
  ASSERT_NE(worker.ring, nullptr);
  for (int i = 0; i < 16; ++i) ASSERT_EQ(PostEngineMessage(nullptr, 10, &worker), 0);
  EXPECT_EQ(PostEngineMessage(nullptr, 10, &worker), kEngineErrRingFull);
  EXPECT_EQ(worker.overflows.load(), 1u);
  EXPECT_EQ(TakeEngineError(), kEngineErrRingFull);
  worker.flags.store(kWorkerFlagQuietFullRing);  // the engine ring: refused, not latched
  EXPECT_EQ(PostEngineMessage(nullptr, 10, &worker), kEngineErrRingFull);
  EXPECT_EQ(worker.overflows.load(), 2u);
  EXPECT_EQ(TakeEngineError(), 0);
  DisposeEngineWorker(&worker);
  EXPECT_EQ(PostEngineMessage(nullptr, 10, &worker), kEngineErrRingFull);  // no ring
}

// A device thread's post never waits for a busy worker: a full ring refuses it after a single
// wake-up, where other posters wake the worker again and again while they retry.
TEST(EngineMessageRing, APostFromADeviceThreadIsRefusedWithoutRetrying) {
  static EngineWorker worker;
  TakeEngineError();
  worker.ring = NewEngineMessageRing(16);
  semaphore_t wake = 0;
  ASSERT_EQ(semaphore_create(mach_task_self(), &wake, SYNC_POLICY_FIFO, 0), KERN_SUCCESS);
  worker.semaphore.store(wake);
  worker.running.store(true);  // a worker that is busy elsewhere and takes nothing
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(TryAppendEngineMessage(worker.ring, nullptr, 10));
  auto wakeUps = [&] {
    int count = 0;
    while (semaphore_timedwait(wake, mach_timespec_t{0, 0}) == KERN_SUCCESS) ++count;
    return count;
  };
  {
    EngineDeviceThreadScope deviceThread;
    EXPECT_EQ(PostEngineMessage(nullptr, 10, &worker), kEngineErrRingFull);
  }
  EXPECT_EQ(wakeUps(), 1);
  EXPECT_EQ(PostEngineMessage(nullptr, 10, &worker), kEngineErrRingFull);
  EXPECT_GT(wakeUps(), 1);
  EXPECT_EQ(worker.overflows.load(), 2u);
  worker.running.store(false);
  DisposeEngineWorker(&worker);
  TakeEngineError();
}

TEST(EngineMessageRing, CodeZeroEndsThePassWithMinusFour) {
  static EngineWorker worker;
  gReceived.store(0);
  for (auto& e : gNextExpected) e.store(0);
  SetEngineRequestHandler(kEngineMsgRenderPlugin, CountingHandler);
  TakeEngineError();
  // An idle time-out far beyond the waits below: only a worker that goes on draining takes
  // the second message in time.
  ASSERT_EQ(StartRealtimeThread(16, &worker, TestWorkerEntry, 60), 0);
  for (int i = 0; i < 400 && !worker.semaphore.load(); ++i) usleep(500);
  // Both messages go in before the worker looks: append directly, then wake it once.
  ASSERT_TRUE(TryAppendEngineMessage(worker.ring, nullptr, kEngineMsgNone));
  ASSERT_TRUE(TryAppendEngineMessage(worker.ring, reinterpret_cast<void*>(uintptr_t(0)), kEngineMsgRenderPlugin));
  semaphore_signal(worker.semaphore.load());
  for (int i = 0; i < 2000 && gEngineError.load() == 0; ++i) usleep(250);
  EXPECT_EQ(gEngineError.load(), kEngineErrUnsupported);
  // The message behind the failing one is taken without another signal.
  EXPECT_TRUE(WaitFor(gReceived, 1));
  EXPECT_EQ(PostEngineMessage(reinterpret_cast<void*>(uintptr_t(1)), kEngineMsgRenderPlugin, &worker), 0);
  EXPECT_TRUE(WaitFor(gReceived, 2));
  EXPECT_TRUE(StopRealtimeThread(&worker, 2000));
  TakeEngineError();
  SetEngineRequestHandler(kEngineMsgRenderPlugin, nullptr);
}

TEST(EngineThreads, PolicyModesAndSemaphoreDrain) {
  EXPECT_EQ(SetThreadPolicy(1, 0, 63, 0.0), -50);
  EXPECT_EQ(SetThreadPolicy(6, 0, 63, 0.0), -50);
  std::thread([] {
    EXPECT_EQ(SetThreadPolicy(3, 0, 63, 0.0), 0);
    EXPECT_EQ(SetThreadPolicy(4, 0, 0, 1024.0 / 44100.0), 0);
  }).join();
  semaphore_t s = 0;
  ASSERT_EQ(semaphore_create(mach_task_self(), &s, SYNC_POLICY_FIFO, 0), KERN_SUCCESS);
  semaphore_signal(s);
  semaphore_signal(s);
  DrainSemaphore(s);
  EXPECT_EQ(semaphore_timedwait(s, mach_timespec_t{0, 0}), KERN_OPERATION_TIMED_OUT);
  semaphore_destroy(mach_task_self(), s);
  DrainSemaphore(0);
}

}  // namespace

namespace {

TEST(EngineThreads, HoldingTheWorkersWaitsForTheirRingsWithABound) {
  static EngineWorker worker;
  ASSERT_EQ(StartRealtimeThread(16, &worker, TestWorkerEntry, 1), 0);
  for (int i = 0; i < 10; ++i) PostEngineMessage(nullptr, 10, &worker);
  EXPECT_TRUE(HoldEngineWorkers(true, 2000));
  EXPECT_EQ(CountEngineMessages(&worker), 0);
  EXPECT_NE(gEngineFlags.load() & kEngineWorkersHeld, 0);
  EXPECT_TRUE(HoldEngineWorkers(false, 0));
  EXPECT_EQ(gEngineFlags.load() & kEngineWorkersHeld, 0);
  EXPECT_TRUE(StopRealtimeThread(&worker, 2000));
}

// A worker whose loop is not running never empties its ring: the wait gives up at once.
TEST(EngineThreads, AWorkerThatIsNotRunningIsNotWaitedFor) {
  static EngineWorker worker;
  worker.ring = NewEngineMessageRing(16);
  ASSERT_NE(worker.ring, nullptr);
  ASSERT_TRUE(TryAppendEngineMessage(worker.ring, nullptr, 10));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WaitForEngineWorkerIdle(&worker, 5000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  DisposeEngineWorker(&worker);
  EXPECT_TRUE(WaitForEngineWorkerIdle(&worker, 5000));  // no ring: nothing to wait for
}

}  // namespace
