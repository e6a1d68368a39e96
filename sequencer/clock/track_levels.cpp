#include "sequencer/clock/track_levels.h"

#include <atomic>

namespace {

// Bits 0-31 the start tick, 32-47 the span in ticks, 48-54 left, 55-61 right, 62 stereo.
std::atomic<uint64_t> gLevels[kTrackLevelRows];
std::atomic<uint32_t> gHoldTicks{96};

constexpr uint32_t kLongestSpan = 0xFFFF;

}  // namespace

void ReportTrackLevel(int32_t row, TrackLevel level, uint32_t fromTick, uint32_t ticks) {
  if (row < 0 || row >= kTrackLevelRows) return;
  uint64_t left = level.left > 127 ? 127 : level.left, right = level.right > 127 ? 127 : level.right;
  uint64_t span = ticks > kLongestSpan ? kLongestSpan : ticks;
  uint64_t word = uint64_t(fromTick) | span << 32 | left << 48 | right << 55 | uint64_t(level.stereo ? 1 : 0) << 62;
  gLevels[row].store(word, std::memory_order_release);
}

TrackLevel ReadTrackLevel(int32_t row, uint32_t songTick) {
  if (row < 0 || row >= kTrackLevelRows) return TrackLevel();
  uint64_t word = gLevels[row].load(std::memory_order_acquire);
  uint32_t span = uint32_t(word >> 32) & kLongestSpan;
  // A position before the start (a locate back) wraps to a count past any span.
  if (songTick - uint32_t(word) >= span) return TrackLevel();
  TrackLevel level;
  level.left = uint8_t((word >> 48) & 0x7F);
  level.right = uint8_t((word >> 55) & 0x7F);
  level.stereo = ((word >> 62) & 1) != 0;
  return level;
}

void ClearTrackLevels() {
  for (std::atomic<uint64_t>& row : gLevels) row.store(0, std::memory_order_release);
}

void SetTrackLevelHoldTicks(uint32_t ticks) { gHoldTicks.store(ticks > 0 ? ticks : 1, std::memory_order_relaxed); }
uint32_t GetTrackLevelHoldTicks() { return gHoldTicks.load(std::memory_order_relaxed); }
