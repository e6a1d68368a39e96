// The engine message ring: {object, code} messages for a worker thread, in a power-of-two
// ring that several threads may post to at once (platform/threads/lock_free_queue.h). Each
// poster claims its slot atomically, so no message is ever overwritten or torn; a full ring
// is retried for a bounded time by the poster (the worker is woken meanwhile) and only then
// refused and counted.
#pragma once

#include <cstdint>

#include "platform/threads/lock_free_queue.h"

struct EngineMessage {
  void* object = nullptr;
  int32_t code = 0;
};

struct EngineMessageRing {
  LockFreeRing<EngineMessage> queue;
  char* block = nullptr;  // the allocation the ring and its cells live in
};

// A ring of capacity entries (a power of two, at least 2); null without memory.
EngineMessageRing* NewEngineMessageRing(uint32_t capacity);
void DisposeEngineMessageRing(EngineMessageRing* ring);

// Appends one message; false when the ring is full.
bool TryAppendEngineMessage(EngineMessageRing* ring, void* object, int32_t code);
// Takes the next message; false when the ring is empty.
bool TakeEngineMessage(EngineMessageRing* ring, EngineMessage* message);
// Messages waiting (claimed slots not yet taken).
int32_t CountRingMessages(const EngineMessageRing* ring);
