#include "sequencer/transport/transport_idle.h"

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/transport/time_code_follow.h"

// Interim: the counter window and the tempo follower's display are not built yet, so their
// steps have nothing to do.
void PositionDisplayIdle() {}
void TempoFollowerIdle() {}

// Received time code while stopped; the recorder's punch-in and punch-out while a pass plays
// with machine control.
void SequencerIdleTaskService() {
  FollowReceivedTimeCode();
  if (IsClockTaskPlaying() && IsMachineControlOn()) MmcUpdatePunch();
}
