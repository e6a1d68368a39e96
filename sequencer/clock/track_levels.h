// The level each track of the playing song is sounding at, 0..127 a side, as the real-time
// threads report it (the clock thread the velocity of each note-on it plays; the engine its
// channels' levels) and the track window's meters read it. Each row is one word written and
// read whole: reporting never blocks nor allocates.
#pragma once

#include <cstdint>

// One row per entry index of the playing song.
constexpr int32_t kTrackLevelRows = 48;

struct TrackLevel {
  uint8_t left = 0;
  uint8_t right = 0;
  bool stereo = false;
};

// Real-time threads: the row sounds at the level from the song position fromTick for ticks
// ticks (at most 65535). Rows outside 0..47 are ignored.
void ReportTrackLevel(int32_t row, TrackLevel level, uint32_t fromTick, uint32_t ticks);
// The row's level at the song position; all 0 outside the reported span (after it, or before
// it after a locate back), and for rows outside 0..47.
TrackLevel ReadTrackLevel(int32_t row, uint32_t songTick);
// Every row silent (the transport stopped or prepared again).
void ClearTrackLevels();
// The clock holds a note's level at least this long after its note-on (one sixteenth of the
// resolution, set by the main thread before playback starts).
void SetTrackLevelHoldTicks(uint32_t ticks);
uint32_t GetTrackLevelHoldTicks();
