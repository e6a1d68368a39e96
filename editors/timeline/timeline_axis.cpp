#include "editors/timeline/timeline_axis.h"

#include <algorithm>
#include <limits>

#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"
#include "song/conductor/sample_position.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"

int16_t gZoomLevel = kInitialZoomLevel;
int32_t gTimelineLeftTick = 1;
uint64_t gTimelineLeftSample = 0;
TimelineFrame gTimelineFrame;

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();

int32_t ToInt32(int64_t v) { return int32_t(std::clamp(v, kInt32Min, kInt32Max)); }

// v x 2^shift for shift 0..62, 0 beyond (a whole 32-bit span or more is off the axis).
int64_t ScaleUp(int64_t v, int32_t shift) {
  if (shift >= 32) return 0;
  return v * (int64_t(1) << shift);
}

// v / 2^shift, rounding toward minus infinity (an arithmetic shift).
int64_t ScaleDown(int64_t v, int32_t shift) { return v >> std::min(shift, 63); }

int32_t AudioShift() { return std::max<int32_t>(gZoomLevel, kLowestZoomLevel) + 5; }

uint64_t AddToSample(uint64_t base, int64_t delta) {
  if (delta < 0) return uint64_t(-delta) > base ? 0 : base - uint64_t(-delta);
  return base + uint64_t(delta);
}

int32_t TickOfSample(uint64_t position) {
  return ToInt32(SamplePositionToTick(int64_t(std::min<uint64_t>(position, uint64_t(INT64_MAX))),
                                      GetTimelineSampleRate()));
}

}  // namespace

float GetTimelineSampleRate() {
  float rate = gTimeSelection.start.rate;
  return rate > 0 ? rate : kDefaultSampleRate;
}

int32_t XToTimeEx(int32_t x, bool clamp) {
  int64_t d = int64_t(x) - gTimelineFrame.originX;
  int64_t tick;
  if (gZoomLevel >= 0) {
    tick = ScaleUp(d, gZoomLevel) + gTimelineLeftTick;
  } else {
    if (clamp && d < 0) d = 0;
    tick = TickOfSample(PixelOffsetToSamplePosition(ToInt32(d)));
  }
  return tick < 1 ? 1 : ToInt32(tick);
}

int32_t XToTime(int32_t x) { return XToTimeEx(x, true); }
int32_t XToTimeUnclamped(int32_t x) { return XToTimeEx(x, false); }

int32_t TimeToX(int32_t tick, int32_t leftTick) {
  if (gZoomLevel < 0) {
    uint64_t position = uint64_t(std::max<int64_t>(TickToSamplePosition(tick, GetTimelineSampleRate()), 0));
    return SamplePositionToX(position, gTimelineLeftSample);
  }
  return ToInt32(ScaleDown(int64_t(tick) - leftTick, gZoomLevel) + gTimelineFrame.originX);
}

int16_t ClampToQDRange(int64_t x) { return int16_t(std::clamp<int64_t>(x, -kQDCoordLimit, kQDCoordLimit)); }

int32_t ClampToTickRange(int64_t tick) { return int32_t(std::clamp<int64_t>(tick, 1, kInt32Max)); }

int16_t TickToClampedPixel(int32_t tick) { return ClampToQDRange(TimeToX(tick, gTimelineLeftTick)); }

uint64_t PixelOffsetToSamplePosition(int32_t offset) {
  int32_t shift = AudioShift();
  int64_t delta = shift < 0 ? (int64_t(offset) >> 2) : ScaleUp(offset, shift);
  return AddToSample(gTimelineLeftSample, delta);
}

uint64_t XToSamplePositionAudio(int32_t x) {
  return PixelOffsetToSamplePosition(std::max<int32_t>(x - gTimelineFrame.originX, 0));
}

uint64_t XToSamplePosition(int32_t x) {
  if (gZoomLevel < 0) return XToSamplePositionAudio(x);
  return uint64_t(std::max<int64_t>(TickToSamplePosition(XToTime(x), GetTimelineSampleRate()), 0));
}

int32_t SamplePositionToX(uint64_t position, uint64_t originSample) {
  int64_t d = position >= originSample ? int64_t(std::min<uint64_t>(position - originSample, kInt32Max * 4))
                                       : -int64_t(std::min<uint64_t>(originSample - position, kInt32Max * 4));
  int32_t shift = AudioShift();
  int64_t x = shift < 0 ? d * 4 : ScaleDown(d, shift);
  return ToInt32(x + gTimelineFrame.originX);
}

int16_t ClampToQDCoord(uint64_t position) {
  return ClampToQDRange(SamplePositionToX(position, gTimelineLeftSample));
}

int16_t GetMainWindowRight() {
  WindowRef window = gMainEditorRecord.window;
  if (!window) return 0;
  Rect bounds{};
  GetWindowPortBounds(window, &bounds);
  return bounds.right;
}

int32_t GetTimelineRightTick() {
  int32_t w = GetMainWindowRight() - kTimelineScrollBarWidth - gTimelineFrame.originX;
  int64_t tick;
  if (gZoomLevel < 0) tick = TickOfSample(PixelOffsetToSamplePosition(std::max(w, 0)));
  else tick = ScaleUp(w, gZoomLevel) + gTimelineLeftTick;
  return tick < 1 ? 1 : ToInt32(tick);
}

int32_t BarsPerLabel(int16_t level) {
  if (level < 7) return 1;
  return int32_t(1) << std::min<int32_t>(level - 6, 30);
}

int32_t MaxBarsInTimeline() {
  int64_t ticksPerBar = int64_t(std::max(gTicksPerQuarter, 1)) * 12;
  return int32_t(kInt32Max / ticksPerBar);
}
