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
// Every plain form is replaced, so that each allocation is counted and every form frees
// what the others allocated (a sanitizer's own forms would not).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (tCountAllocations) gAllocations.fetch_add(1);
  return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
  void* p = operator new(size, std::nothrow);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
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
