// The time formats of the track window and the conversions that present ticks in them: bars,
// beats, samples at the time selection's rate, plain ticks; the split of a tick into bar, beat
// and tick; and the clamp of a value into the range a drawing coordinate may take.
#pragma once

#include <cstdint>

// gTrackTimeFormat: the track window's time format, program-wide.
constexpr uint16_t kTimeFormatBarsRoundedUp = 0;  // the bars up to the tick, rounded up
constexpr uint16_t kTimeFormatBeats = 1;
constexpr uint16_t kTimeFormatSamples = 2;
constexpr uint16_t kTimeFormatBar = 3;            // the bar that holds the tick
constexpr uint16_t kTimeFormatTicks = 4;
extern uint16_t gTrackTimeFormat;

// The view origin: the tick at the track window's left edge and its value in gTrackTimeFormat,
// kept together.
extern int32_t gViewOriginTick;
extern int32_t gViewOriginValue;

// The narrowest span GetVisibleSpan gives, so that scales built on it never divide by zero.
constexpr int32_t kMinVisibleSpan = 2;
constexpr int32_t kShortRangeLimit = 16384;

// t in a format: beats through the meter changes (saturated to the i32 range, 0x80000000 for a
// value that is not a number), the sample position at the selection's rate (at most
// 0x7fffffff), the bar, t itself, or (other formats) the bars rounded up.
int32_t ConvertTimeValue(int32_t t, uint16_t format);
// The sample rate of the time selection's start; the default rate while it has none, so that
// conversions never divide by zero.
float GetSelectionSampleRate();
int64_t TickToSamplesAtSelectionRate(int32_t t);
uint32_t SamplesToTickAtSelectionRate(int64_t samples);
// The width of start..end in the track window's format, at least kMinVisibleSpan.
int32_t GetVisibleSpan(int32_t start, int32_t end);
// The track window's left edge in its format.
int32_t GetViewStartInFormat();
// start and end in the track window's format, into out[0] and out[1].
void ConvertTimeRange(int32_t start, int32_t end, int32_t* out);
// Recomputes gViewOriginValue; when it grew, every editor row is marked for redraw.
void UpdateViewOrigin();
// Puts t at the track window's left edge (t below 1 counts as 1); nothing when the origin is
// there already. The track window is drawn again.
void ScrollTrackWindowTo(int32_t t);
// With the current ticks per bar and per beat (gConductorState). A bar length of -1 gives
// bar = -t, beat and tick 0; a bar or beat length of 0 (no meter yet) leaves the rest in the
// smaller unit instead of dividing by it.
void SplitBarBeatTick(int32_t t, int32_t* bar, int32_t* beat, int32_t* tick);
// v limited to -16384..16384: drawing coordinates past that range stay on the bound, and the
// result grows with v.
int32_t ClampToShortRange(int32_t v);
