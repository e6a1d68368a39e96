#include "sequencer/transport/transport_requests.h"

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/transport/transport_engine.h"

// Interim: the requests act at once, as the play key does, until the idle pass follows the
// transport's request byte.
void RequestTransportPlay() {
  if (!IsClockTaskPlaying()) Play(gLocatePoint.tick);
}

void RequestTransportStop() {
  if (IsClockTaskPlaying()) HaltSequencerTicks();
}

// Interim: recording is not built yet.
void RequestTransportRecord() {}
