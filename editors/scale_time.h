// Interim: the editors' scale time, as the tempo dialog and the resolution change call it.
// FitSelectionToTime only records its request until the scale-time operation of the
// editors exists.
#pragma once

#include <cstdint>

// Stretches the time selection so that it lasts newTime subframes instead of currentTime.
// Interim: the two times are kept in gLastTimeFit and nothing is stretched.
struct TimeFitRequest {
  uint32_t currentTime = 0;
  uint32_t newTime = 0;
  uint32_t count = 0;
};
extern TimeFitRequest gLastTimeFit;
void FitSelectionToTime(uint32_t currentTime, uint32_t newTime);

// Interim for the editors' scale time over the whole song (edit context 3), as the
// resolution change uses it (RescaleCurrentTrackEventTimes of the song's editor hooks):
// every event time of the current track goes from oldResolution to newResolution
// (tick' = round((tick - 1) x new / old) + 1), note lengths and long-event lengths scale with
// it (at least 1), and so does the track's length. A damaged record ends the walk.
void ScaleCurrentTrackToResolution(int32_t oldResolution, int32_t newResolution);
