// Small shared operations of the sequencer: splitting an event's status byte and the
// transport's scaled tempo (ScaleTempoValue: song/conductor/tempo_scaling.h).
#pragma once

#include <cstdint>

#include "song/conductor/tempo_scaling.h"

#include "song/events/event_filter_slots.h"

// The same for gCurrentEvent (0 without one).
uint32_t SplitSequencerEventStatus();

// ScaleTempoValue of the transport's tempo with its factor.
int16_t GetScaledTempo();
// Takes the tempo of the current song (1100 without one) into the clock and applies the
// scaled tempo to the clock's period.
void RefreshTempo();
