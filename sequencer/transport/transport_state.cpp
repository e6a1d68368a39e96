#include "sequencer/transport/transport_state.h"

#include "sequencer/clock/transport_clock.h"

ClockPosition gClockPlayRange[2];

bool IsClockPlayingSong(Handle song) {
  return song && IsClockTaskPlaying() && gTransportClock.playingSong == song;
}

// Interim: no section playback runs.
bool IsCurrentSongPlaying() { return false; }

// Interim: the clock keeps no pointers into songs yet.
void DetachPlayingCopy() {}
void ReattachPlayingCopy() {}

void SetClockPlayRange(const ClockPosition& start, const ClockPosition& end) {
  gClockPlayRange[0] = start;
  gClockPlayRange[1] = end;
}
