#include "sequencer/transport_state.h"

#include <atomic>

ClockPosition gClockPlayRange[2];
uint32_t gClockLockWord = 0;

// Interim: no clock task runs, so no song plays.
bool IsClockPlayingSong(Handle) { return false; }

// Interim: no section playback runs.
bool IsCurrentSongPlaying() { return false; }

// Interim: the lock word only; nothing else takes it yet.
int32_t TryLockClock(int32_t owner) {
  std::atomic_ref<uint32_t> word(gClockLockWord);
  uint32_t expected = 0;
  return word.compare_exchange_strong(expected, uint32_t(owner)) ? 0 : -1;
}

int32_t UnlockClock(int32_t code) {
  std::atomic_ref<uint32_t> word(gClockLockWord);
  if (word.load() != 0 && code >= 0) word.store(uint32_t(code));
  return code;
}

// Interim: the clock keeps no pointers into songs yet.
void DetachPlayingCopy() {}
void ReattachPlayingCopy() {}

void SetClockPlayRange(const ClockPosition& start, const ClockPosition& end) {
  gClockPlayRange[0] = start;
  gClockPlayRange[1] = end;
}
