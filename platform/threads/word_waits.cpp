#include "platform/threads/word_waits.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <ctime>

#include "platform/system/host_time.h"

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));
static_assert(std::atomic<uint32_t>::is_always_lock_free);

namespace {

long Futex(std::atomic<uint32_t>& word, int op, uint32_t value, const timespec* deadline,
           uint32_t bits) {
  return syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), op | FUTEX_PRIVATE_FLAG, value,
                 deadline, nullptr, bits);
}

}  // namespace

void WaitOnWordUntil(std::atomic<uint32_t>& word, uint32_t expected, uint64_t deadlineNanos) {
  if (word.load(std::memory_order_acquire) != expected) return;
  // FUTEX_WAIT_BITSET takes an absolute time on CLOCK_MONOTONIC.
  timespec until{};
  until.tv_sec = time_t(deadlineNanos / 1000000000u);
  until.tv_nsec = long(deadlineNanos % 1000000000u);
  Futex(word, FUTEX_WAIT_BITSET, expected, &until, FUTEX_BITSET_MATCH_ANY);
}

void WakeWordWaiters(std::atomic<uint32_t>& word, bool all) {
  Futex(word, FUTEX_WAKE, all ? uint32_t(INT_MAX) : 1u, nullptr, 0);
}

namespace {

// Polls done() every 50 microseconds until it answers true or timeoutNanos have passed.
template <typename Done>
bool PollUntil(Done done, uint64_t timeoutNanos) {
  const uint64_t deadline = HostTimeNanos() + timeoutNanos;
  while (!done()) {
    if (HostTimeNanos() >= deadline) return false;
    timespec pause{0, 50000};
    nanosleep(&pause, nullptr);
  }
  return true;
}

}  // namespace

bool WaitForFlag(const std::atomic<bool>& flag, uint64_t timeoutNanos) {
  return PollUntil([&flag] { return flag.load(std::memory_order_acquire); }, timeoutNanos);
}

bool WaitForByteClear(const std::atomic<uint8_t>& byte, uint64_t timeoutNanos) {
  return PollUntil([&byte] { return byte.load(std::memory_order_acquire) == 0; }, timeoutNanos);
}
