// Timing quality of the Time Manager and the semaphores on this machine: how late timer tasks
// fire against their deadlines (median, p99, p99.9, max, in microseconds), whether the schedule
// drifts, and how long a semaphore signal takes to wake a waiting thread. Run it on an idle
// machine; the figures are reported as counters.
#include <benchmark/benchmark.h>

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/system/host_time.h"
#include "platform/threads/mach_semaphores.h"
#include "platform/threads/thread_policy.h"
#include "platform/timing/time_manager.h"

namespace {

struct JitterRun {
  TMTask task;
  UInt32 micros = 0;
  UInt16 fraction = 0;
  UInt16 accumulator = 0;
  int firesWanted = 0;
  std::vector<int64_t> lateness;  // sized before the run: the procedure never allocates
  std::atomic<int> fires{0};
  UInt64 firstDeadline = 0;
  UInt64 lastDeadline = 0;
};

void JitterFire(TMTaskPtr task) {
  UInt64 now = HostTimeNanos();
  auto* run = static_cast<JitterRun*>(task->tmRefCon);
  int fire = run->fires.load(std::memory_order_relaxed);
  run->lateness[fire] = int64_t(now - task->tmWakeUp);
  if (fire == 0) run->firstDeadline = task->tmWakeUp;
  run->lastDeadline = task->tmWakeUp;
  if (fire + 1 < run->firesWanted) {
    UInt32 sum = UInt32(run->accumulator) + run->fraction;
    run->accumulator = UInt16(sum);
    PrimeTime(task, -SInt32(run->micros + (sum >> 16)));
  }
  run->fires.store(fire + 1, std::memory_order_release);
}

double Percentile(std::vector<int64_t>& sorted, double p) {
  size_t index = std::min(sorted.size() - 1, size_t(p * double(sorted.size())));
  return double(sorted[index]) / 1000.0;
}

// One run of fires at micros + fraction/65536 microseconds; lateness in microseconds.
void BM_TimerLateness(benchmark::State& state) {
  JitterRun run;
  run.micros = UInt32(state.range(0));
  run.fraction = UInt16(state.range(1));
  run.firesWanted = int(2000000 / run.micros);  // about two seconds
  run.lateness.assign(size_t(run.firesWanted), 0);
  run.task.tmAddr = JitterFire;
  run.task.tmRefCon = &run;
  for (auto _ : state) {
    run.fires = 0;
    run.accumulator = 0;
    InsXTime(&run.task);
    PrimeTime(&run.task, -SInt32(run.micros));
    UInt64 giveUp = HostTimeNanos() + 10000000000ull;
    while (run.fires.load(std::memory_order_acquire) < run.firesWanted &&
           HostTimeNanos() < giveUp) {
      usleep(10000);
    }
    RmvTime(&run.task);
    // Drift: the last deadline against the ideal schedule, in nanoseconds (0 when exact).
    UInt64 start = run.firstDeadline - UInt64(run.micros) * 1000;
    UInt64 n = UInt64(run.firesWanted);
    UInt64 ideal = start + (n * run.micros + (n - 1) * run.fraction / 65536) * 1000;
    state.counters["drift_ns"] = double(int64_t(run.lastDeadline - ideal));
  }
  std::vector<int64_t> sorted(run.lateness.begin(), run.lateness.begin() + run.fires.load());
  std::sort(sorted.begin(), sorted.end());
  state.counters["fires"] = double(sorted.size());
  state.counters["median_us"] = Percentile(sorted, 0.5);
  state.counters["p99_us"] = Percentile(sorted, 0.99);
  state.counters["p999_us"] = Percentile(sorted, 0.999);
  state.counters["max_us"] = double(sorted.back()) / 1000.0;
  state.counters["fifo"] = RealtimeSchedulingGrant() == kRealtimeGranted ? 1 : 0;
}
BENCHMARK(BM_TimerLateness)
    ->Args({1000, 0})
    ->Args({2604, 0x8000})
    ->Args({250, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Signal to wake-up of a waiter at fixed precedence 63 (engine thread), in microseconds.
void BM_SemaphoreWake(benchmark::State& state) {
  semaphore_t go, done;
  semaphore_create(mach_task_self(), &go, SYNC_POLICY_FIFO, 0);
  semaphore_create(mach_task_self(), &done, SYNC_POLICY_FIFO, 0);
  std::atomic<UInt64> signalledAt{0};
  std::atomic<bool> stop{false};
  std::vector<int64_t> wake;
  wake.reserve(100000);
  std::thread waiter([&] {
    integer_t importance = 63;
    thread_policy_set(mach_thread_self(), THREAD_PRECEDENCE_POLICY, &importance, 1);
    while (!stop.load()) {
      if (semaphore_timedwait(go, mach_timespec_t{1, 0}) != KERN_SUCCESS) continue;
      if (stop.load()) break;
      wake.push_back(int64_t(HostTimeNanos() - signalledAt.load()));
      semaphore_signal(done);
    }
  });
  for (auto _ : state) {
    signalledAt = HostTimeNanos();
    semaphore_signal(go);
    semaphore_timedwait(done, mach_timespec_t{1, 0});
    usleep(100);
  }
  stop = true;
  semaphore_signal(go);
  waiter.join();
  semaphore_destroy(mach_task_self(), go);
  semaphore_destroy(mach_task_self(), done);
  std::sort(wake.begin(), wake.end());
  if (!wake.empty()) {
    state.counters["median_us"] = Percentile(wake, 0.5);
    state.counters["p99_us"] = Percentile(wake, 0.99);
    state.counters["max_us"] = double(wake.back()) / 1000.0;
  }
}
BENCHMARK(BM_SemaphoreWake)->Iterations(5000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
