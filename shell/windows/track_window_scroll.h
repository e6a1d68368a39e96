// The track window's horizontal scroll bar, whose value counts bars: the tick it stands for and
// scrolling it by a number of bars.
#pragma once

#include <cstdint>

// BarToTick of the scroll bar's value; 1 without the window or its scroll bar.
int32_t GetTrackWindowScrollTick();
// Moves the scroll bar by delta bars within its range and puts that bar at the window's left
// edge (ScrollTrackWindowTo).
void SetTrackWindowScroll(int16_t delta);
