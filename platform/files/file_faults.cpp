#include "platform/files/file_faults.h"

#include <atomic>

namespace {
std::atomic<int16_t> gFaultStep{-1};
std::atomic<int32_t> gFaultCountdown{0};
std::atomic<int16_t> gFaultResult{0};
}  // namespace

void InjectFileFault(int16_t step, int32_t nth, OSErr err) {
  gFaultStep.store(-1);
  gFaultResult.store(err);
  gFaultCountdown.store(nth);
  gFaultStep.store(step);
}

void ClearFileFault() { gFaultStep.store(-1); }

OSErr TakeFileFault(int16_t step) {
  if (gFaultStep.load(std::memory_order_relaxed) != step) return noErr;
  if (gFaultCountdown.fetch_sub(1) != 1) return noErr;
  gFaultStep.store(-1);
  return gFaultResult.load();
}
