// The counter's locate: the locate point taken from the time code the counter shows.
// Main thread.
#pragma once

#include <cstdint>

// The subframes of the clock's time code from the song start offset (never below 0).
uint32_t GetCounterSubframes();
// Sets the locate point to the tick of the counter's time: a non-zero time is taken one
// frame later (80 subframes), or 1200 subframes later with isFrames.
void SetLocateFromCounter(bool isFrames);
// The locate point from the counter (no movie is attached to seek).
void LocateToCounter();
