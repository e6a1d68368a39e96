#include "audio/engine/engine_messages.h"

#include <new>

#include "platform/memory/memory.h"

EngineMessageRing* NewEngineMessageRing(uint32_t capacity) {
  if (capacity < 2 || (capacity & (capacity - 1)) != 0) return nullptr;
  // The ring's words and the cells are cache-line aligned inside one block.
  using Cell = LockFreeCell<EngineMessage>;
  Ptr block = NewPtrClear(Size(sizeof(EngineMessageRing) + sizeof(Cell) * capacity + 128));
  if (!block) return nullptr;
  uintptr_t ringAt = (reinterpret_cast<uintptr_t>(block) + 63) & ~uintptr_t(63);
  EngineMessageRing* ring = new (reinterpret_cast<void*>(ringAt)) EngineMessageRing();
  ring->block = block;
  uintptr_t cellsAt = (ringAt + sizeof(EngineMessageRing) + 63) & ~uintptr_t(63);
  Cell* cells = reinterpret_cast<Cell*>(cellsAt);
  for (uint32_t i = 0; i < capacity; ++i) new (&cells[i]) Cell();
  ring->queue.Attach(cells, capacity);
  return ring;
}

void DisposeEngineMessageRing(EngineMessageRing* ring) {
  if (!ring) return;
  DisposePtr(ring->block);
}

bool TryAppendEngineMessage(EngineMessageRing* ring, void* object, int32_t code) {
  return ring->queue.TryPush(EngineMessage{object, code});
}

bool TakeEngineMessage(EngineMessageRing* ring, EngineMessage* message) { return ring->queue.TryPop(message); }

int32_t CountRingMessages(const EngineMessageRing* ring) { return ring ? int32_t(ring->queue.Count()) : 0; }
