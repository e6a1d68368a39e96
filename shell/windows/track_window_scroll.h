// The track window's horizontal scroll bar, whose value counts bars: the tick it stands for and
// scrolling it by a number of bars.
#pragma once

#include <cstdint>

// BarToTick of the scroll bar's value; 1 without the window or its scroll bar.
int32_t GetTrackWindowScrollTick();
// Moves the scroll bar by delta bars within its range and puts that bar at the window's left
// edge (ScrollTrackWindowTo).
void SetTrackWindowScroll(int16_t delta);

// What RefreshSongPositionFields brings up to date after the song's length changed: the track
// window's scroll bar range (its maximum is the song's length in bars), and the counter
// read-outs of the info panel.
constexpr int16_t kRefreshSongLengthBar = 0x1;
constexpr int16_t kRefreshPositionCounters = 0x2;
void RefreshSongPositionFields(int16_t what);
// The track window's scroll bar is active only while the song has a length and the window is
// active.
void EnableSongLengthControl();
