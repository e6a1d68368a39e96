#include "tests/audio/engine/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/memory/memory.h"

namespace {

thread_local bool tCountAllocations = false;
std::atomic<uint32_t> gAllocations{0};

}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (tCountAllocations) gAllocations.fetch_add(1);
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace engine_test {

uint32_t CountedAllocations() { return gAllocations.load(); }

CountedThread::CountedThread() {
  gAllocations.store(0);
  memoryBefore_ = GetMemoryInUse();
  tCountAllocations = true;
}

CountedThread::~CountedThread() { tCountAllocations = false; }

}  // namespace engine_test
