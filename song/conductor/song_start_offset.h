// The song start offset: the time code at which the song's tick 1 lies, and the conversion of
// time-code records to subframes (1/80 of a frame) at the program's frame rate.
#pragma once

#include <cstdint>

// hours (low 5 bits), minutes, seconds, frames, subframes (0..79).
struct TimeCodeRecord {
  uint8_t hours = 0, minutes = 0, seconds = 0, frames = 0, subframes = 0;
};

// Subframes from time 0 to the song's tick 1; displayed times and received time code are
// taken relative to it.
extern uint32_t gSongStartOffset;

// The record's time in subframes from base at the frame rate of gSmpteRateCode. Drop-frame
// (code 2) leaves out the dropped frames of the elapsed minutes (two a minute, none in every
// tenth) and 108 frames an hour.
uint32_t TimecodeToSubframesWithBase(const TimeCodeRecord& tc, uint32_t base);
// The same with the record's own subframes as the base.
uint32_t TimecodeToSubframes(const TimeCodeRecord& tc);
