// Bounded queues that any number of threads may push to and pop from without locks or
// allocation (each cell carries a sequence number that says whose turn it is). Pushing to a
// full queue and popping from an empty one fail at once; a push claims its cell atomically,
// so no value is ever overwritten or torn. Capacities are powers of two.
//
// LockFreeRing works over cells its owner provides (a capacity chosen at run time);
// LockFreeQueue holds its own cells (a capacity fixed at compile time).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

template <typename T>
struct LockFreeCell {
  std::atomic<size_t> sequence{0};
  T value{};
};

template <typename T>
class LockFreeRing {
 public:
  LockFreeRing() = default;
  LockFreeRing(const LockFreeRing&) = delete;
  LockFreeRing& operator=(const LockFreeRing&) = delete;

  // Takes capacity cells (a power of two, at least 2); false for another capacity.
  bool Attach(LockFreeCell<T>* cells, size_t capacity) {
    if (capacity < 2 || (capacity & (capacity - 1)) != 0 || cells == nullptr) return false;
    cells_ = cells;
    mask_ = capacity - 1;
    for (size_t i = 0; i < capacity; ++i) cells_[i].sequence.store(i, std::memory_order_relaxed);
    head_.store(0, std::memory_order_relaxed);
    tail_.store(0, std::memory_order_release);
    return true;
  }
  size_t Capacity() const { return cells_ ? mask_ + 1 : 0; }

  bool TryPush(const T& value) {
    size_t pos = tail_.load(std::memory_order_relaxed);
    for (;;) {
      LockFreeCell<T>& cell = cells_[pos & mask_];
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
      LockFreeCell<T>& cell = cells_[pos & mask_];
      size_t seq = cell.sequence.load(std::memory_order_acquire);
      intptr_t diff = intptr_t(seq) - intptr_t(pos + 1);
      if (diff == 0) {
        if (head_.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
          *value = cell.value;
          cell.sequence.store(pos + mask_ + 1, std::memory_order_release);
          return true;
        }
      } else if (diff < 0) {
        return false;
      } else {
        pos = head_.load(std::memory_order_relaxed);
      }
    }
  }

  // Values claimed and not yet taken (a snapshot).
  size_t Count() const {
    size_t tail = tail_.load(std::memory_order_acquire);
    size_t head = head_.load(std::memory_order_acquire);
    return tail > head ? tail - head : 0;
  }

 private:
  LockFreeCell<T>* cells_ = nullptr;
  size_t mask_ = 0;
  alignas(64) std::atomic<size_t> head_{0};
  alignas(64) std::atomic<size_t> tail_{0};
};

template <typename T, size_t kCapacity>
class LockFreeQueue {
  static_assert(kCapacity >= 2 && (kCapacity & (kCapacity - 1)) == 0, "capacity must be a power of two");

 public:
  LockFreeQueue() { ring_.Attach(cells_, kCapacity); }
  LockFreeQueue(const LockFreeQueue&) = delete;
  LockFreeQueue& operator=(const LockFreeQueue&) = delete;

  bool TryPush(const T& value) { return ring_.TryPush(value); }
  bool TryPop(T* value) { return ring_.TryPop(value); }
  // Values claimed and not yet taken (a snapshot).
  size_t Count() const { return ring_.Count(); }

 private:
  LockFreeCell<T> cells_[kCapacity];
  LockFreeRing<T> ring_;
};
