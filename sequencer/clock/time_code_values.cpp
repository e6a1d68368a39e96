#include "sequencer/clock/time_code_values.h"

#include <algorithm>
#include <cmath>

#include "song/conductor/conductor_time.h"
#include "song/conductor/song_start_offset.h"
#include "song/conductor/tempo_tables.h"

namespace {

constexpr double kFractionUnit = 4294967296.0;  // 2^32

double Rate() { return SubframesPerSecondForRate(gSmpteRateCode); }

}  // namespace

int64_t TimeToSubframes(const TimeValue& time) {
  double rate = Rate();
  return int64_t(double(time.whole) * rate + double(time.fraction) * rate / kFractionUnit + 0.5);
}

int64_t SubframesSince(const TimeValue& time, const TimeValue& base) {
  int64_t d = TimeToSubframes(time) - TimeToSubframes(base);
  return d < 0 ? 0 : d;
}

double SubframesToSeconds(int64_t subframes) { return double(subframes) / Rate(); }

void SubframesToTime(int64_t subframes, TimeValue* out) {
  *out = SecondsToTimeValue(SubframesToSeconds(subframes));
}

void TickToTimecodeTime(uint32_t tick, TimeValue* out) {
  int32_t t = int32_t(std::clamp<uint32_t>(tick, 1, INT32_MAX));
  SubframesToTime(int64_t(TickToTime(t)) + int64_t(gSongStartOffset), out);
}

uint32_t TimecodeTimeToTick(uint32_t whole, uint32_t fraction) {
  int64_t s = TimeToSubframes(TimeValue{whole, fraction}) - int64_t(gSongStartOffset);
  s = std::clamp<int64_t>(s, 0, INT32_MAX);
  int32_t tick = TimeToTick(int32_t(s));
  return uint32_t(std::max(tick, 1));
}

uint32_t SecondsToTick(uint32_t whole) { return TimecodeTimeToTick(whole, 0); }

TimeValue SecondsToTimeValue(double seconds) {
  if (!(seconds > 0.0)) return TimeValue{};
  seconds = std::min(seconds, 4294967295.0);
  double whole = std::floor(seconds);
  double fraction = std::min((seconds - whole) * kFractionUnit, kFractionUnit - 1.0);
  return TimeValue{uint32_t(whole), uint32_t(fraction)};
}

double TimeValueToSeconds(const TimeValue& time) {
  return double(time.whole) + double(time.fraction) / kFractionUnit;
}
