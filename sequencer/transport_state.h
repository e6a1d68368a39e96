// Interim: the parts of the sequencer clock that the song model touches while a song is
// resized or the time selection is committed. No clock task runs yet.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// One 16-byte position of the play range: tick, sample position, sample rate.
struct ClockPosition {
  uint32_t tick = 0;
  uint64_t sample = 0;
  float rate = 0;
};

extern ClockPosition gClockPlayRange[2];
extern uint32_t gClockLockWord;

// True when the clock runs and plays the song block song (or section playback uses it).
bool IsClockPlayingSong(Handle song);
// True when the current song takes part in section playback.
bool IsCurrentSongPlaying();
// Takes the clock's lock word (compare-and-swap of 0 with the owner code): 0 or -1.
int32_t TryLockClock(int32_t owner);
// Writes the code into a taken lock word (0 releases); returns the code.
int32_t UnlockClock(int32_t code);
// Detaches and re-points the clock's cached pointers into the current song.
void DetachPlayingCopy();
void ReattachPlayingCopy();
// Copies two positions into the clock's play range.
void SetClockPlayRange(const ClockPosition& start, const ClockPosition& end);
