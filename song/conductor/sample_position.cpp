#include "song/conductor/sample_position.h"

#include <algorithm>
#include <cmath>

#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/model/song_context.h"

namespace {

double SubframesPerSecond() { return SubframesPerSecondForRate(gSmpteRateCode); }

int64_t SubframesToSamplePosition(double subframes, double subframesPerSecond, float rate) {
  double samples = subframes / subframesPerSecond * double(rate) + 0.5;
  return samples > 0 ? int64_t(uint64_t(samples)) : 0;
}

}  // namespace

int64_t TickToSamplePositionInSong(int32_t tick, float rate, uint8_t* song) {
  if (song == nullptr || !(rate > 0)) return 0;
  return SubframesToSamplePosition(TickToSubframesExact(song, tick < 1 ? 1 : tick), SubframesPerSecond(), rate);
}

void TickRangeToSamplePositionsInSong(int32_t firstTick, int32_t count, float rate, uint8_t* song, int64_t* out) {
  if (song == nullptr || !(rate > 0)) {
    std::fill(out, out + std::max(count, 0), int64_t(0));
    return;
  }
  constexpr int32_t kPiece = 512;
  double subframes[kPiece];
  double perSecond = SubframesPerSecond();
  for (int32_t done = 0; done < count; done += kPiece) {
    int32_t n = std::min(kPiece, count - done);
    TickRangeToSubframesExact(song, int64_t(firstTick) + done, n, subframes);
    for (int32_t i = 0; i < n; ++i) out[done + i] = SubframesToSamplePosition(subframes[i], perSecond, rate);
  }
}

int64_t TickToSamplePosition(int32_t tick, float rate) { return TickToSamplePositionInSong(tick, rate, gCurrentSong); }

uint32_t SamplePositionToTick(int64_t position, float rate) {
  if (gCurrentSong == nullptr || !(rate > 0)) return 1;
  double ms = double(position < 0 ? 0 : position) * 1000.0 / double(rate);
  ConductorState state;
  int64_t tick = SubframesToTickExact(ms * SubframesPerSecond() / 1000.0, &state, gCurrentSong);
  return tick < 1 ? 1u : uint32_t(tick);
}

void SamplePositionToMilliseconds(uint64_t position, uint64_t* fixedMs, float rate) {
  if (!(rate > 0)) {
    *fixedMs = 0;
    return;
  }
  long double ms = (long double)position * 1000.0L / rate;
  long double whole = std::floor(ms);
  if (whole >= 4294967296.0L) {
    *fixedMs = ~uint64_t(0);
    return;
  }
  *fixedMs = (uint64_t(whole) << 32) | uint64_t((ms - whole) * 4294967296.0L);
}

double MillisecondsToSamples(uint64_t fixedMs, float rate) {
  double ms = double(fixedMs >> 32) + double(fixedMs & 0xFFFFFFFFu) / 4294967296.0;
  return ms / 1000.0 * double(rate) + 0.5;
}

double SamplesToMilliseconds(double samples, float rate) { return rate > 0 ? samples * 1000.0 / double(rate) : 0.0; }

uint64_t ConvertPositionRate(uint64_t position, double fromRate, double toRate) {
  if (!(fromRate > 0) || fromRate == toRate) return position;
  long double scaled = (long double)position * toRate / fromRate + 0.5L;
  return scaled > 0 ? uint64_t(scaled) : 0;
}

void RescalePositionForRate(RatedPosition* record, int32_t tick, float rate) {
  if (record->rate > 0) {
    if (record->rate != rate) record->position = ConvertPositionRate(record->position, record->rate, rate);
  } else {
    record->position = uint64_t(TickToSamplePosition(tick, rate));
  }
  record->rate = rate;
}
