#include "plugins/host/plugin_midi_ring.h"

namespace {

// A writer that keeps losing the race for a cell gives up after this many tries (the message
// is dropped as if the ring were full); the loop is bounded even with many writers.
constexpr int32_t kMaxClaimTries = 64;
constexpr uint32_t kRingMask = kLiveRingSize - 1;
static_assert((kLiveRingSize & kRingMask) == 0, "the ring's size is a power of two");

}  // namespace

// Cell i holds sequence i while free for the writer of index i, i + 1 once that writer has
// published it, and i + size after the reader took it (free for the next lap).
void ResetPluginMidiRing(PluginMidiRing* ring) {
  for (uint32_t i = 0; i < kLiveRingSize; ++i) ring->cells[i].sequence.store(i, std::memory_order_relaxed);
  ring->readIndex = 0;
  ring->writeIndex.store(0, std::memory_order_release);
}

bool PutLiveMidiMessage(PluginMidiRing* ring, uint8_t status, uint8_t data1, uint8_t data2) {
  uint32_t index = ring->writeIndex.load(std::memory_order_relaxed);
  for (int32_t tries = 0; tries < kMaxClaimTries; ++tries) {
    LiveMidiCell& cell = ring->cells[index & kRingMask];
    uint32_t sequence = cell.sequence.load(std::memory_order_acquire);
    int32_t lead = int32_t(sequence - index);
    if (lead < 0) return false;  // the reader has not taken this cell yet: full
    if (lead > 0) {
      index = ring->writeIndex.load(std::memory_order_relaxed);
      continue;
    }
    if (!ring->writeIndex.compare_exchange_weak(index, index + 1, std::memory_order_relaxed)) continue;
    cell.bytes[0] = status;
    cell.bytes[1] = data1 > 127 ? 0 : data1;
    cell.bytes[2] = data2 > 127 ? 0 : data2;
    cell.sequence.store(index + 1, std::memory_order_release);
    return true;
  }
  return false;
}

bool TakeLiveMidiMessage(PluginMidiRing* ring, uint8_t bytes[3]) {
  uint32_t index = ring->readIndex;
  LiveMidiCell& cell = ring->cells[index & kRingMask];
  if (cell.sequence.load(std::memory_order_acquire) != index + 1) return false;
  bytes[0] = cell.bytes[0];
  bytes[1] = cell.bytes[1];
  bytes[2] = cell.bytes[2];
  cell.sequence.store(index + kLiveRingSize, std::memory_order_release);
  ring->readIndex = index + 1;
  return true;
}
