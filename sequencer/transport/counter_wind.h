// Winding from the counter: bar by bar while its wind button is held, faster the longer it
// is held; and the end of the play range. Main thread.
#pragma once

#include <cstdint>

// The repeat delay of the wind (TickCount units): 30 at the start of a hold, 5 less after each
// bar, never below 0.
constexpr int32_t kWindFirstDelay = 30;
constexpr int32_t kWindDelayStep = 5;
extern int32_t gWindRepeatDelay;
int32_t NextWindDelay(int32_t delay);

// One bar forward (never past the song's bar count) and a locate there, then the repeat delay
// while the mouse stays down; repeats while it does.
void WindByBar();
// A press on the wind button: the delay starts again, varispeed ends, the bars are wound and
// the counter shows the locate point.
void StartWindTracking();

// The play end tick and its real time in seconds. With the clock looping the song, the end is
// taken into the song's length from the locate point: ((locate - 1) mod length) +
// (tick - locate) + 1; a length of 0 does not loop.
extern double gPlayEndSeconds;
uint32_t LoopedPlayEnd(uint32_t tick, uint32_t locate, uint32_t length);
void SetPlayEndTick(uint32_t tick);
// The play end again from the current song's end.
void RefreshSongEnd();
