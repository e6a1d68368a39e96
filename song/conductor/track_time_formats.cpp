#include "song/conductor/track_time_formats.h"

#include <cmath>

#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/events/time_selection.h"
#include "song/model/editor_hooks.h"
#include "song/model/window_redraw.h"

uint16_t gTrackTimeFormat = kTimeFormatBarsRoundedUp;
int32_t gViewOriginTick = 1;
int32_t gViewOriginValue = 0;

namespace {

int32_t SaturateBeats(double beats) {
  if (std::isnan(beats)) return INT32_MIN;
  if (beats >= 2147483647.0) return INT32_MAX;
  if (beats <= -2147483648.0) return INT32_MIN;
  return int32_t(beats);
}

}  // namespace

float GetSelectionSampleRate() {
  float rate = gTimeSelection.start.rate;
  return rate > 0 ? rate : kDefaultSampleRate;
}

int64_t TickToSamplesAtSelectionRate(int32_t t) {
  return TickToSamplePosition(t, GetSelectionSampleRate());
}

uint32_t SamplesToTickAtSelectionRate(int64_t samples) {
  return SamplePositionToTick(samples, GetSelectionSampleRate());
}

int32_t ConvertTimeValue(int32_t t, uint16_t format) {
  switch (format) {
    case kTimeFormatBeats:
      return SaturateBeats(double(TickToBeats(t)));
    case kTimeFormatSamples: {
      int64_t samples = TickToSamplesAtSelectionRate(t);
      return samples > INT32_MAX ? INT32_MAX : int32_t(samples);
    }
    case kTimeFormatBar:
      return TickToBar(t);
    case kTimeFormatTicks:
      return t;
    default:
      return TickToBarRoundedUp(t);
  }
}

int32_t GetViewStartInFormat() { return ConvertTimeValue(gViewOriginTick, gTrackTimeFormat); }

void ConvertTimeRange(int32_t start, int32_t end, int32_t* out) {
  out[0] = ConvertTimeValue(start, gTrackTimeFormat);
  out[1] = ConvertTimeValue(end, gTrackTimeFormat);
}

void UpdateViewOrigin() {
  int32_t value = GetViewStartInFormat();
  bool grew = value > gViewOriginValue;
  gViewOriginValue = value;
  if (grew) MarkEditorRowsForRedraw();
}

void ScrollTrackWindowTo(int32_t t) {
  if (t < 1) t = 1;
  if (t == gViewOriginTick) return;
  gViewOriginTick = t;
  UpdateViewOrigin();
  InvalidateTrackWindow();
}

int32_t GetVisibleSpan(int32_t start, int32_t end) {
  int64_t span = int64_t(ConvertTimeValue(end, gTrackTimeFormat)) -
                 ConvertTimeValue(start, gTrackTimeFormat);
  if (span > INT32_MAX) return INT32_MAX;
  return span < kMinVisibleSpan ? kMinVisibleSpan : int32_t(span);
}

void SplitBarBeatTick(int32_t t, int32_t* bar, int32_t* beat, int32_t* tick) {
  int32_t perBar = gConductorState.ticksPerBar, perBeat = gConductorState.ticksPerBeat;
  *bar = 0;
  *beat = 0;
  *tick = t;
  if (perBar == -1) {
    *bar = -t;
    *tick = 0;
    return;
  }
  if (perBar > 0) {
    *bar = t / perBar;
    *tick = t % perBar;
  }
  if (perBeat > 0) {
    *beat = *tick / perBeat;
    *tick %= perBeat;
  }
}

int32_t ClampToShortRange(int32_t v) {
  if (v < -kShortRangeLimit) return -kShortRangeLimit;
  return v > kShortRangeLimit ? kShortRangeLimit : v;
}
