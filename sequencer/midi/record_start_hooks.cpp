#include "sequencer/midi/record_start_hooks.h"

RecordStartHooks gRecordStartHooks{};
std::atomic<uint8_t> gRecordWaitsForFirstNote{0};
std::atomic<uint32_t> gRecordStartTick{0};

void StartRecordOnFirstNote(uint32_t tick) {
  // One note starts it, even when several inputs play at once.
  if (!gRecordWaitsForFirstNote.exchange(0, std::memory_order_acq_rel)) return;
  gRecordStartTick.store(tick, std::memory_order_release);
  if (gRecordStartHooks.startRecordClock) gRecordStartHooks.startRecordClock();
}
