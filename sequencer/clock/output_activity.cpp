#include "sequencer/clock/output_activity.h"

#include <atomic>

namespace {

std::atomic<uint8_t> gInstrumentCells[kActivityInstruments];
std::atomic<uint8_t> gPortCells[kActivityPorts];

void Raise(std::atomic<uint8_t>& cell, uint8_t velocity) {
  if (velocity > 127) velocity = 127;
  uint8_t seen = cell.load(std::memory_order_relaxed);
  while (seen < velocity && !cell.compare_exchange_weak(seen, velocity, std::memory_order_relaxed)) {
  }
}

}  // namespace

void ReportInstrumentActivity(int32_t instrument, uint8_t velocity) {
  if (instrument >= 0 && instrument < kActivityInstruments) Raise(gInstrumentCells[instrument], velocity);
}

void ReportPortActivity(uint8_t port, uint8_t velocity) { Raise(gPortCells[port], velocity); }

uint8_t TakeInstrumentActivity(int32_t instrument) {
  if (instrument < 0 || instrument >= kActivityInstruments) return 0;
  return gInstrumentCells[instrument].exchange(0, std::memory_order_relaxed);
}

uint8_t TakePortActivity(uint8_t port) { return gPortCells[port].exchange(0, std::memory_order_relaxed); }

void ClearOutputActivity() {
  for (auto& c : gInstrumentCells) c.store(0, std::memory_order_relaxed);
  for (auto& c : gPortCells) c.store(0, std::memory_order_relaxed);
}
