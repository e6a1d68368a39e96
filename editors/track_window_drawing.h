// The track window's update: one row per track of the current song, from the window's
// vertical scroll position down, showing the track's number (counted from 1) and name.
#pragma once

#include <cstdint>

// Rows start this far below the top of the track window's content.
constexpr int16_t kTrackListTop = 31;

// Redraws the track window's track list (nothing without the window).
void DrawTrackWindow();
