#include "sequencer/transport/transport_idle.h"

#include "sequencer/transport/time_code_follow.h"

// Interim: the counter window and the tempo follower's display are not built yet, so their
// steps have nothing to do.
void PositionDisplayIdle() {}
void TempoFollowerIdle() {}

void SequencerIdleTaskService() { FollowReceivedTimeCode(); }
