#include "sequencer/transport/transport_idle.h"

#include <cstdint>

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/transport/sync_callbacks.h"
#include "sequencer/transport/time_code_follow.h"

namespace {

// The locate point the clock's counters last showed (0: none yet).
uint32_t gShownLocateTick = 0;

}  // namespace

void PositionDisplayIdle() {
  if (IsClockTaskPlaying() || gLocatePoint.tick == gShownLocateTick) return;
  gShownLocateTick = gLocatePoint.tick;
  ShowLocateInClock(gShownLocateTick);  // counters, time code and tempo, when a song is current
}

// Interim: the tempo follower's display is not built yet, so its step has nothing to do.
void TempoFollowerIdle() {}

// Received time code while stopped; the recorder's punch-in and punch-out while a pass plays
// with machine control; what a record pass recorded goes into its tracks.
void SequencerIdleTaskService() {
  StampMainThreadIdle();  // the movie follow knows the main thread is alive
  FollowReceivedTimeCode();
  RecordPassIdleTask();
  if (IsClockTaskPlaying() && IsMachineControlOn()) MmcUpdatePunch();
}
