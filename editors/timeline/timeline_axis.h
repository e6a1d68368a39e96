// The main editor's horizontal time axis, shared by the panes, the data lanes, the rulers and
// the track overview: pixels to song positions (ticks, or sample positions at the audio zoom
// levels) and back, and the clamp that keeps every coordinate inside QuickDraw's range.
#pragma once

#include <cstdint>

// Zoom levels 0 and up: one pixel covers 2^level ticks. -5..-1: one pixel covers
// 2^(level + 5) samples; -6: four pixels cover one sample.
constexpr int16_t kInitialZoomLevel = 3;
constexpr int16_t kLowestZoomLevel = -6;
// Every x handed to QuickDraw lies in -kQDCoordLimit..kQDCoordLimit.
constexpr int32_t kQDCoordLimit = 16385;
constexpr int16_t kKeyColumnWidth = 28;
constexpr int16_t kTimelineScrollBarWidth = 16;

extern int16_t gZoomLevel;
extern int32_t gTimelineLeftTick;     // tick at the origin x, at least 1
extern uint64_t gTimelineLeftSample;  // sample position at the origin x (audio levels)

struct TimelineFrame {
  int16_t top = 0;            // y of the first row of the pane's content
  int16_t keyColumnLeft = 0;
  int16_t bottom = 0;
  int16_t originX = kKeyColumnWidth;  // the x of gTimelineLeftTick
  int16_t frameWord = 132;
  int16_t rowHeight = 12;
};
extern TimelineFrame gTimelineFrame;

// The rate every tick and sample conversion here uses: the time selection's start rate, or
// the default rate while it has none.
float GetTimelineSampleRate();

// Tick at x (never below 1); with clamp, an x left of the origin counts as the origin at the
// audio levels.
int32_t XToTimeEx(int32_t x, bool clamp);
int32_t XToTime(int32_t x);
int32_t XToTimeUnclamped(int32_t x);
// x of a tick against a left tick, not clamped (but never wrapped: held in the i32 range).
int32_t TimeToX(int32_t tick, int32_t leftTick);
// x of a tick against gTimelineLeftTick, clamped to the QuickDraw range.
int16_t TickToClampedPixel(int32_t tick);
// A song position (an event's 32-bit time plus a length or a repeat offset, say) held in the
// axis's range, 1..0x7fffffff.
int32_t ClampToTickRange(int64_t tick);
int16_t ClampToQDRange(int64_t x);

uint64_t PixelOffsetToSamplePosition(int32_t offset);
uint64_t XToSamplePositionAudio(int32_t x);
uint64_t XToSamplePosition(int32_t x);
int32_t SamplePositionToX(uint64_t position, uint64_t originSample);
// x of a sample position against gTimelineLeftSample, clamped to the QuickDraw range.
int16_t ClampToQDCoord(uint64_t position);

// Right edge of the main editor window's port (0 without the window).
int16_t GetMainWindowRight();
// Tick at the right edge of the event area (left of the scroll bar); never below 1.
int32_t GetTimelineRightTick();
// Bars between two labelled ruler bars.
int32_t BarsPerLabel(int16_t level);
// The most bars the timeline can show at the current resolution.
int32_t MaxBarsInTimeline();
