#include "sequencer/transport/counter_wind.h"

#include <algorithm>
#include <atomic>

#include "platform/events/classic_events.h"
#include "platform/system/host_time.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/time_code_values.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/counter_buttons.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/varispeed.h"
#include "song/conductor/conductor_time.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

int32_t gWindRepeatDelay = kWindFirstDelay;
double gPlayEndSeconds = 0.0;

namespace {

uint32_t WindPosition() {
  return IsClockTaskPlaying() ? std::max<uint32_t>(gTransportClock.songTick.load(), 1) : gLocatePoint.tick;
}

// Waits the delay while the mouse stays down; true when it still is.
bool WaitWhileDown(int32_t delay) {
  uint32_t start = TickCount();
  while (StillDown()) {
    if (int32_t(TickCount() - start) >= delay) return true;
    UInt32 final = 0;
    Delay(1, &final);
  }
  return false;
}

uint32_t SongEndTick() {
  return gCurrentSong ? SongHeaderView(gCurrentSong).EndTick() : 0x7FFFFFFF;
}

}  // namespace

int32_t NextWindDelay(int32_t delay) { return std::max(delay - kWindDelayStep, 0); }

void WindByBar() {
  do {
    LocateFromCounterButton(NextBarForWind(WindPosition()));
    if (!WaitWhileDown(gWindRepeatDelay)) break;
    gWindRepeatDelay = NextWindDelay(gWindRepeatDelay);
  } while (StillDown());
}

void StartWindTracking() {
  gWindRepeatDelay = kWindFirstDelay;
  WindByBar();
  ResetPlaybackRate();
  ShowLocateInClock(gLocatePoint.tick);
}

uint32_t LoopedPlayEnd(uint32_t tick, uint32_t locate, uint32_t length) {
  locate = std::max<uint32_t>(locate, 1);
  if (length == 0 || tick < locate) return tick;
  return (locate - 1) % length + (tick - locate) + 1;
}

void SetPlayEndTick(uint32_t tick) {
  uint32_t end = tick;
  uint32_t length = SongEndTick() > 1 ? SongEndTick() - 1 : 0;
  if (gTransportClock.flags.load() & kClockFlagLoopSong) end = LoopedPlayEnd(tick, gLocatePoint.tick, length);
  std::atomic_ref<uint32_t>(gPlayEndTick).store(end, std::memory_order_relaxed);
  // A plain conversion: the table one would apply the conductor records at the end.
  double subframes = gCurrentSong ? TickToSubframesExact(gCurrentSong, std::max<uint32_t>(end, 1)) : 0.0;
  gPlayEndSeconds = SubframesToSeconds(int64_t(subframes));
}

void RefreshSongEnd() { SetPlayEndTick(SongEndTick()); }
