#include "sequencer/clock/time_code_format.h"

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/sync_source.h"
#include "shell/base/position_formats.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"

void FormatDropFrame(uint32_t s, TimeCodeFields* out) {
  *out = TimeCodeFields();
  uint32_t hours = s / kDropSubframesPerHour;
  s -= hours * kDropSubframesPerHour;
  uint32_t tens = s / kDropSubframesPerTenMinutes;
  uint32_t r = s % kDropSubframesPerTenMinutes;
  uint32_t minutes = 0, seconds = 0;
  if (r >= kDropSubframesFirstMinute) {
    r -= kDropSubframesFirstMinute;
    minutes = 1;
    while (r >= kDropSubframesOtherMinute) {
      r -= kDropSubframesOtherMinute;
      ++minutes;
    }
    // The first second of a dropped minute holds frames 2 to 29: its end starts second 1
    // (never frame 30).
    if (r >= kDropSubframesFirstSecond) {
      r -= kDropSubframesFirstSecond;
      seconds = 1;
    }
  }
  seconds += r / 2400;
  r %= 2400;
  uint32_t frames = r / 80;
  if (minutes != 0 && seconds == 0) frames += 2;
  out->hours = uint8_t(hours);
  out->minutes = uint8_t(minutes + 10 * tens);
  out->seconds = uint8_t(seconds);
  out->frames = uint8_t(frames);
  out->subframes = uint8_t(r % 80);
}

void FormatNonDrop(uint32_t s, TimeCodeFields* out) {
  *out = TimeCodeFields();
  static const uint32_t kFramesPerSecond[4] = {24, 25, 30, 30};
  uint32_t perSecond = kFramesPerSecond[gSmpteRateCode > 3 ? 3 : gSmpteRateCode] * 80;
  uint32_t perMinute = perSecond * 60;
  uint32_t perHour = perMinute * 60;
  out->hours = uint8_t(s / perHour);
  s %= perHour;
  out->minutes = uint8_t(s / perMinute);
  s %= perMinute;
  out->seconds = uint8_t(s / perSecond);
  s %= perSecond;
  out->frames = uint8_t(s / 80);
  out->subframes = uint8_t(s % 80);
}

void FormatTimeCode(uint32_t subframes, TimeCodeFields* out) {
  if (gSmpteRateCode == 2) FormatDropFrame(subframes, out);
  else FormatNonDrop(subframes, out);
}

uint32_t TimecodeToSubframes(const TimeCodeFields& f) {
  TimeCodeRecord record;
  record.hours = f.hours;
  record.minutes = f.minutes;
  record.seconds = f.seconds;
  record.frames = f.frames;
  record.subframes = f.subframes;
  return TimecodeToSubframes(record);
}

void FormatTimeFromStart(uint32_t time, TimeCodeFields* out) {
  uint64_t t = uint64_t(time) + gSongStartOffset;
  FormatTimeCode(t > UINT32_MAX ? UINT32_MAX : uint32_t(t), out);
}

unsigned char* TickToTimecodeString(unsigned char* buffer, int32_t tick) {
  TimeCodeFields f;
  FormatTimeFromStart(TickToTime(tick < 1 ? 1 : tick), &f);
  FormatSmpteTime(buffer, f.hours, f.minutes, f.seconds, f.frames, 0);
  if (buffer[0] >= 3) buffer[0] = uint8_t(buffer[0] - 3);  // without the subframes
  return buffer;
}

void SetTimeCodeFromTick(int32_t tick) {
  uint32_t subframes = TickToTime(tick < 1 ? 1 : tick);
  gRealTimePosition = uint64_t(subframes) << 16;
  TimeCodeFields f;
  FormatTimeFromStart(subframes, &f);
  uint8_t* tc = gTransportClock.timeCode;
  tc[0] = f.hours, tc[1] = f.minutes, tc[2] = f.seconds, tc[3] = f.frames;
  gTransportClock.frameAccumulator = uint32_t(f.subframes) << 16;
  // The song's tempo drives the clock only while the clock runs on its own: an external
  // source's tempo stays as it came.
  if (GetSyncSource() <= kSyncSourceAudioClock && !IsClockTaskPlaying()) RefreshTempo();
}
