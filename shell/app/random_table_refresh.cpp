#include "shell/app/random_table_refresh.h"

#include <atomic>

#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/transport_clock.h"
#include "shell/base/random_numbers.h"

namespace {

constexpr uint32_t kRowMask = 0x7F;
constexpr int32_t kRows = kRandomVelocityNotes;

// The row after the last one whose cursor byte is non-zero; row 0 after row 127 or when
// there is none.
uint32_t NextRowToRefresh(uint32_t last) {
  const auto& t = gTransportClock.randomVelocityTable;
  uint32_t r = (last + 1) % kRows;
  while (r != 0 && std::atomic_ref<const uint8_t>(t[r]).load() == 0) r = (r + 1) % kRows;
  return r;
}

void DrawRow(uint32_t r) {
  auto& t = gTransportClock.randomVelocityTable;
  for (int32_t i = 0; i < kRandomVelocityOffsets; ++i)
    std::atomic_ref<uint8_t>(t[kRandomVelocityNotes + r * kRandomVelocityOffsets + i]).store(uint8_t(RandomBelow(r + 1)));
}

}  // namespace

void BuildRandomTable() {
  auto& t = gTransportClock.randomVelocityTable;
  for (int32_t r = 0; r < kRows; ++r) std::atomic_ref<uint8_t>(t[r]).store(0);
  for (int32_t r = 0; r < kRows; ++r) DrawRow(uint32_t(r));
}

// The clock reads the row while it is drawn again: each byte is written whole, so a value
// taken meanwhile is the old or the new one, both valid for the row.
void RefreshRandomTableRow() {
  std::atomic_ref<uint32_t> state(gRandomVelocityUsed);
  uint32_t was = state.load();
  if (!(was & kRandomTableTaken)) return;
  uint32_t r = NextRowToRefresh(was & kRowMask);
  state.fetch_and(~kRowMask);
  state.fetch_or(r);
  if (r != 0) DrawRow(r);
}
