#include "song/conductor/song_start_offset.h"

#include <cstdint>

#include "song/conductor/tempo_tables.h"

uint32_t gSongStartOffset = 0;

namespace {

constexpr int64_t kSubframesPerFrame = 80;
constexpr int64_t kDroppedSubframesPerHour = 108 * kSubframesPerFrame;
constexpr uint8_t kDropFrameCode = 2;

int64_t FramesPerSecondForCode(uint8_t code) {
  static const int64_t kFrames[4] = {24, 25, 30, 30};
  return kFrames[code > 3 ? 3 : code];
}

}  // namespace

uint32_t TimecodeToSubframesWithBase(const TimeCodeRecord& tc, uint32_t base) {
  int64_t perSecond = FramesPerSecondForCode(gSmpteRateCode) * kSubframesPerFrame;
  int64_t perMinute = perSecond * 60;
  int64_t perHour = perSecond * 3600;
  int64_t hours = tc.hours & 0x1F;
  int64_t frames = tc.frames;
  if (gSmpteRateCode == kDropFrameCode) {
    int64_t dropped = 18 * (tc.minutes / 10) + 2 * (tc.minutes % 10);
    frames -= dropped;
    perHour -= kDroppedSubframesPerHour;
  }
  int64_t total = int64_t(base) + frames * kSubframesPerFrame + tc.seconds * perSecond +
                  tc.minutes * perMinute + hours * perHour;
  if (total < 0) return 0;
  return total > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(total);
}

uint32_t TimecodeToSubframes(const TimeCodeRecord& tc) {
  return TimecodeToSubframesWithBase(tc, tc.subframes);
}
