#include "sequencer/transport/transport_idle.h"

// Interim: the counter window, the external sync sources polled from the idle task and the
// tempo follower's display are not built yet, so these steps have nothing to do.
void PositionDisplayIdle() {}
void SequencerIdleTaskService() {}
void TempoFollowerIdle() {}
