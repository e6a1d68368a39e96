// The engine message ring: {object, code} messages for a worker thread, in a power-of-two
// ring that several threads may post to at once. Each poster claims its slot atomically, so no
// message is ever overwritten or torn; a full ring is retried for a bounded time (the worker
// is woken meanwhile) and only then refused and counted.
#pragma once

#include <atomic>
#include <cstdint>

struct EngineMessage {
  void* object = nullptr;
  int32_t code = 0;
};

// One cell: the sequence number says whose turn it is (poster or worker).
struct EngineMessageCell {
  std::atomic<uint32_t> sequence{0};
  EngineMessage message;
};

struct EngineMessageRing {
  alignas(64) std::atomic<uint32_t> writeIndex{0};  // next slot to claim
  alignas(64) std::atomic<uint32_t> readIndex{0};   // next slot to take (worker only)
  uint32_t capacity = 0;                            // a power of two
  EngineMessageCell* cells = nullptr;
  char* block = nullptr;  // the allocation the ring and its cells live in
};

// A ring of capacity entries (a power of two, at least 2); null without memory.
EngineMessageRing* NewEngineMessageRing(uint32_t capacity);
void DisposeEngineMessageRing(EngineMessageRing* ring);

// Appends one message; false when the ring is full.
bool TryAppendEngineMessage(EngineMessageRing* ring, void* object, int32_t code);
// Takes the next message; false when the ring is empty. Worker thread only.
bool TakeEngineMessage(EngineMessageRing* ring, EngineMessage* message);
// Messages waiting (claimed slots not yet taken).
int32_t CountRingMessages(const EngineMessageRing* ring);
