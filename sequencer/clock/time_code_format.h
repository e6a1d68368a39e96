// Time-code fields from a count of subframes (1/80 of a frame), for plain and drop-frame
// rates.
#pragma once

#include <cstdint>

#include "song/conductor/song_start_offset.h"  // gSongStartOffset

struct TimeCodeFields {
  uint8_t hours = 0, minutes = 0, seconds = 0, frames = 0, subframes = 0;
};

// Drop-frame 29.97: frames 0 and 1 are skipped in every minute that is not a multiple of 10.
constexpr uint32_t kDropSubframesPerTenMinutes = 1438560;
constexpr uint32_t kDropSubframesFirstMinute = 144000;
constexpr uint32_t kDropSubframesOtherMinute = 143840;
constexpr uint32_t kDropSubframesFirstSecond = 2240;
constexpr uint32_t kDropSubframesPerHour = 6 * kDropSubframesPerTenMinutes;

void FormatDropFrame(uint32_t subframes, TimeCodeFields* out);
// Plain rates (24, 25 or 30 frames per second by the frame-rate code).
void FormatNonDrop(uint32_t subframes, TimeCodeFields* out);
// The drop-frame formatter for frame-rate code 2, else the plain one.
void FormatTimeCode(uint32_t subframes, TimeCodeFields* out);

// Subframes of time-code fields at the current frame rate (drop-frame for code 2); the
// inverse of FormatTimeCode.
uint32_t TimecodeToSubframes(const TimeCodeFields& fields);
// FormatTimeCode of time + gSongStartOffset.
void FormatTimeFromStart(uint32_t time, TimeCodeFields* out);

// The time code of a song tick (through the current song's tempo map, from the song start
// offset) as "h:mm:ss:ff" in buffer; returns buffer.
unsigned char* TickToTimecodeString(unsigned char* buffer, int32_t tick);
// The clock's real-time position, time-code digits and frame accumulator set to a song tick
// (main thread, while the clock task does not play). While the clock follows no external
// source it also takes the current song's tempo.
void SetTimeCodeFromTick(int32_t tick);
