// Counts the allocations a thread makes while it is counting: the test program's operator new
// counts on a thread inside a CountedThread scope, so that a real-time path run there shows
// any allocation it makes. A program that links this file has its operator new replaced.
#pragma once

#include <cstdint>

namespace engine_test {

// Allocations counted since the last CountedThread began.
uint32_t CountedAllocations();

// While it lives, this thread's allocations are counted (from zero) and the memory in use
// before it began is kept.
class CountedThread {
 public:
  CountedThread();
  ~CountedThread();
  uint64_t MemoryBefore() const { return memoryBefore_; }

 private:
  uint64_t memoryBefore_;
};

}  // namespace engine_test
