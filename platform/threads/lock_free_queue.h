// A bounded queue that any number of threads may push to and pop from without locks or
// allocation (each cell carries a sequence number that says whose turn it is). Pushing to a
// full queue and popping from an empty one fail at once. The capacity is a power of two.
#pragma once

#include <atomic>
#include <cstddef>

template <typename T, size_t kCapacity>
class LockFreeQueue {
  static_assert(kCapacity >= 2 && (kCapacity & (kCapacity - 1)) == 0, "capacity must be a power of two");

 public:
  LockFreeQueue() {
    for (size_t i = 0; i < kCapacity; ++i) cells_[i].sequence.store(i, std::memory_order_relaxed);
  }
  LockFreeQueue(const LockFreeQueue&) = delete;
  LockFreeQueue& operator=(const LockFreeQueue&) = delete;

  bool TryPush(const T& value) {
    size_t pos = tail_.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = cells_[pos & (kCapacity - 1)];
      size_t seq = cell.sequence.load(std::memory_order_acquire);
      intptr_t diff = intptr_t(seq) - intptr_t(pos);
      if (diff == 0) {
        if (tail_.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
          cell.value = value;
          cell.sequence.store(pos + 1, std::memory_order_release);
          return true;
        }
      } else if (diff < 0) {
        return false;
      } else {
        pos = tail_.load(std::memory_order_relaxed);
      }
    }
  }

  bool TryPop(T* value) {
    size_t pos = head_.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = cells_[pos & (kCapacity - 1)];
      size_t seq = cell.sequence.load(std::memory_order_acquire);
      intptr_t diff = intptr_t(seq) - intptr_t(pos + 1);
      if (diff == 0) {
        if (head_.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
          *value = cell.value;
          cell.sequence.store(pos + kCapacity, std::memory_order_release);
          return true;
        }
      } else if (diff < 0) {
        return false;
      } else {
        pos = head_.load(std::memory_order_relaxed);
      }
    }
  }

 private:
  struct Cell {
    std::atomic<size_t> sequence;
    T value;
  };
  Cell cells_[kCapacity];
  alignas(64) std::atomic<size_t> head_{0};
  alignas(64) std::atomic<size_t> tail_{0};
};
