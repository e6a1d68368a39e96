// Time values as movie time bases and the audio position give them ({whole seconds, fraction
// of a second in 1/2^32}) and their conversions to subframes, seconds and song ticks at the
// program's frame rate. Any thread; the tick conversions read the current song's tempo map
// (main thread or the clock task while the map does not change).
#pragma once

#include <cstdint>

struct TimeValue {
  uint32_t whole = 0;
  uint32_t fraction = 0;  // 1/2^32 of a second
};

// whole x rate + fraction x rate / 2^32, rounded, with rate the subframes per second of the
// current frame-rate code.
int64_t TimeToSubframes(const TimeValue& time);
// The subframes from base to time; 0 when time lies before base.
int64_t SubframesSince(const TimeValue& time, const TimeValue& base);
double SubframesToSeconds(int64_t subframes);
void SubframesToTime(int64_t subframes, TimeValue* out);
// A song tick as real time: its subframes from the song's start plus the song start offset.
void TickToTimecodeTime(uint32_t tick, TimeValue* out);
// A real time as a song tick: the song start offset taken off (never below 0).
uint32_t TimecodeTimeToTick(uint32_t whole, uint32_t fraction);
uint32_t SecondsToTick(uint32_t whole);
// Seconds as a time value (negative seconds give 0).
TimeValue SecondsToTimeValue(double seconds);
double TimeValueToSeconds(const TimeValue& time);
