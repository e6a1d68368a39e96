#include "audio/engine_messages.h"

#include <new>

#include "platform/memory/memory.h"

EngineMessageRing* NewEngineMessageRing(uint32_t capacity) {
  if (capacity < 2 || (capacity & (capacity - 1)) != 0) return nullptr;
  // The ring's words and the cells are cache-line aligned inside one block.
  Ptr block = NewPtrClear(Size(sizeof(EngineMessageRing) + sizeof(EngineMessageCell) * capacity + 128));
  if (!block) return nullptr;
  uintptr_t ringAt = (reinterpret_cast<uintptr_t>(block) + 63) & ~uintptr_t(63);
  EngineMessageRing* ring = new (reinterpret_cast<void*>(ringAt)) EngineMessageRing();
  ring->block = block;
  uintptr_t cellsAt = (ringAt + sizeof(EngineMessageRing) + 63) & ~uintptr_t(63);
  ring->cells = reinterpret_cast<EngineMessageCell*>(cellsAt);
  ring->capacity = capacity;
  for (uint32_t i = 0; i < capacity; ++i) {
    new (&ring->cells[i]) EngineMessageCell();
    ring->cells[i].sequence.store(i, std::memory_order_relaxed);
  }
  return ring;
}

void DisposeEngineMessageRing(EngineMessageRing* ring) {
  if (!ring) return;
  DisposePtr(ring->block);
}

bool TryAppendEngineMessage(EngineMessageRing* ring, void* object, int32_t code) {
  uint32_t mask = ring->capacity - 1;
  uint32_t pos = ring->writeIndex.load(std::memory_order_relaxed);
  for (;;) {
    EngineMessageCell& cell = ring->cells[pos & mask];
    uint32_t seq = cell.sequence.load(std::memory_order_acquire);
    int32_t diff = int32_t(seq - pos);
    if (diff == 0) {
      if (ring->writeIndex.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
        cell.message.object = object;
        cell.message.code = code;
        cell.sequence.store(pos + 1, std::memory_order_release);
        return true;
      }
    } else if (diff < 0) {
      return false;
    } else {
      pos = ring->writeIndex.load(std::memory_order_relaxed);
    }
  }
}

bool TakeEngineMessage(EngineMessageRing* ring, EngineMessage* message) {
  uint32_t pos = ring->readIndex.load(std::memory_order_relaxed);
  EngineMessageCell& cell = ring->cells[pos & (ring->capacity - 1)];
  uint32_t seq = cell.sequence.load(std::memory_order_acquire);
  if (int32_t(seq - (pos + 1)) < 0) return false;
  *message = cell.message;
  cell.sequence.store(pos + ring->capacity, std::memory_order_release);
  ring->readIndex.store(pos + 1, std::memory_order_relaxed);
  return true;
}

int32_t CountRingMessages(const EngineMessageRing* ring) {
  if (!ring) return 0;
  int32_t n = int32_t(ring->writeIndex.load(std::memory_order_acquire) - ring->readIndex.load(std::memory_order_acquire));
  return n < 0 ? 0 : n;
}
