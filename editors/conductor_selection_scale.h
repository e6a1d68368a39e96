// Interim: the time scaling services of the track editors that the conductor map, the
// markers and the tempo dialog call. FitSelectionToTime only records its request until the
// scale-time operation of the editors exists.
#pragma once

#include <cstdint>

// truncate(selection start + (tick - selection start) x factor), limited to the i32 range.
int32_t ScaleTickFromSelectionStart(int32_t tick, double factor);

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
// resolution change uses it: every event time of the current track goes from oldResolution
// to newResolution (tick' = round((tick - 1) x new / old) + 1), note lengths and long-event
// lengths scale with it (at least 1), and so does the track's length. A damaged record ends
// the walk.
void RescaleCurrentTrackEventTimes(int32_t oldResolution, int32_t newResolution);
