// Waiting for another thread to change a 32-bit word, with an absolute deadline on the host clock
// (CLOCK_MONOTONIC nanoseconds, as HostTimeNanos). The futex under the timer threads.
#pragma once

#include <atomic>
#include <cstdint>

// Sleeps while word holds expected, until a waker calls WakeWordWaiters or the host clock reaches
// deadlineNanos. Returns at once when the word already differs. May return early (a signal, a
// spurious wake-up): callers check their condition again.
void WaitOnWordUntil(std::atomic<uint32_t>& word, uint32_t expected, uint64_t deadlineNanos);
// Polls flag until it is set or timeoutNanos have passed; true when it was set. For waits on
// threads that cannot be woken (a finishing worker, a device thread ending its cycle).
bool WaitForFlag(const std::atomic<bool>& flag, uint64_t timeoutNanos);
// The same, until byte holds 0 (a busy byte another thread clears); true when it did.
bool WaitForByteClear(const std::atomic<uint8_t>& byte, uint64_t timeoutNanos);
// Wakes one waiter, or all of them, on word. Never blocks; safe on real-time threads.
void WakeWordWaiters(std::atomic<uint32_t>& word, bool all);
