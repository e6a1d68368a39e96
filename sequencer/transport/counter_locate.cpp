#include "sequencer/transport/counter_locate.h"

#include <algorithm>

#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/song_start_offset.h"

namespace {

constexpr uint32_t kOneFrame = 80, kFramesStep = 1200;

}  // namespace

uint32_t GetCounterSubframes() {
  const uint8_t* tc = gTransportClock.timeCode;
  TimeCodeRecord record;
  record.hours = tc[0], record.minutes = tc[1], record.seconds = tc[2], record.frames = tc[3];
  uint32_t time = TimecodeToSubframes(record);
  return time > gSongStartOffset ? time - gSongStartOffset : 0;
}

void SetLocateFromCounter(bool isFrames) {
  uint32_t time = GetCounterSubframes();
  if (time != 0) time += isFrames ? kFramesStep : kOneFrame;
  int32_t tick = TimeToTick(int32_t(std::min<uint32_t>(time, INT32_MAX)));
  SetLocatePoint(uint32_t(std::max(tick, 1)));
}

void LocateToCounter() { SetLocateFromCounter(false); }
