// The parts of the sequencer clock that the song model touches while a song is resized or the
// time selection is committed. The lock itself is the clock's (sequencer_clock.h).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "sequencer/clock/sequencer_clock.h"

// One 16-byte position of the play range: tick, sample position, sample rate.
struct ClockPosition {
  uint32_t tick = 0;
  uint64_t sample = 0;
  float rate = 0;
};

extern ClockPosition gClockPlayRange[2];

// True when the clock's play or sync task runs and plays the song block song.
bool IsClockPlayingSong(Handle song);
// True when the current song takes part in section playback.
bool IsCurrentSongPlaying();
// Detaches and re-points the clock's cached pointers into the current song.
void DetachPlayingCopy();
void ReattachPlayingCopy();
// Copies two positions into the clock's play range.
void SetClockPlayRange(const ClockPosition& start, const ClockPosition& end);
