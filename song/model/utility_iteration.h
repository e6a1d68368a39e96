// Iterating over the current song's tracks with early stop through gIterationAbort.
#pragma once

#include <cstdint>

#include "shell/base/iteration_abort.h"

using TrackCallback = int32_t (*)(void* arg);

// Every TrackEntry made current in turn (index 0..count-1); the previous entry index, track
// and track number come back at the end. Returns the last callback result.
int32_t IterateTracks(TrackCallback callback, void* arg);
int32_t ForEachTrack(TrackCallback callback, void* arg);
// Track numbers from the first visible row of the track window.
int32_t ForEachVisibleTrack(TrackCallback callback, void* arg);
// Makes the track numbers first .. first + count - 1 current in turn and calls callback for
// each (until gIterationAbort is set); the current track is restored after. Answers the last
// callback's result.
int32_t ForEachTrackNumberIn(int32_t first, int32_t count, TrackCallback callback, void* arg);

// Rows of the track window (owned by the track window; kept here until it exists).
extern int16_t gTrackListFirstRow;
extern int16_t gTrackListVisibleRows;
