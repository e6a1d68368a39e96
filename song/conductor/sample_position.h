// Positions: converting between song ticks (through the song's tempo map and the time-code
// subframes of the current frame rate) and sample positions at a rate, between sample
// positions and milliseconds, and between rates.
#pragma once

#include <cstdint>

// The sample position of a tick (0 and negative ticks count as 1) of the current song, or of
// a given song; 0 without a song.
int64_t TickToSamplePosition(int32_t tick, float rate);
int64_t TickToSamplePositionInSong(int32_t tick, float rate, uint8_t* song);
// The positions of count consecutive ticks from firstTick in a song, each the one above.
void TickRangeToSamplePositionsInSong(int32_t firstTick, int32_t count, float rate, uint8_t* song, int64_t* out);
// The tick of the current song at a sample position (1 without a song).
uint32_t SamplePositionToTick(int64_t position, float rate);

// A position as 32.32 fixed-point milliseconds: whole milliseconds high, the fraction low.
void SamplePositionToMilliseconds(uint64_t position, uint64_t* fixedMs, float rate);
double MillisecondsToSamples(uint64_t fixedMs, float rate);
double SamplesToMilliseconds(double samples, float rate);
// A position at another rate, to the nearest sample; unchanged when fromRate is not above 0
// or the rates are equal.
uint64_t ConvertPositionRate(uint64_t position, double fromRate, double toRate);

// A position kept with the rate it counts at.
struct RatedPosition {
  uint64_t position = 0;
  float rate = 0.0f;
};
// Brings the record to rate: a record with a rate is rescaled, one without takes the tick's
// position.
void RescalePositionForRate(RatedPosition* record, int32_t tick, float rate);
