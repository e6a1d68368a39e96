// Small shared operations of the sequencer: splitting an event's status byte and scaling the
// tempo by the transport's tempo factor.
#pragma once

#include <cstdint>

extern uint8_t gEventCommand;  // status & 0xF0 of the event split last
extern uint8_t gEventChannel;  // status & 0x0F

// Splits the event's status into gEventCommand / gEventChannel; returns its tick.
uint32_t SplitEventStatus(const uint8_t* event);
// The same for gCurrentEvent (0 without one).
uint32_t SplitSequencerEventStatus();

// (tempo x factor + 1024) >> 11, clamped to 120..4500; factor 0 takes the transport's.
// The product is formed in 64 bits and clamped before it is narrowed, so a large factor
// gives the fastest tempo rather than a wrapped value.
int16_t ScaleTempoValue(int32_t tempo, int32_t factor);
// ScaleTempoValue of the transport's tempo with its factor.
int16_t GetScaledTempo();
// Takes the tempo of the current song (1100 without one) into the clock and applies the
// scaled tempo to the clock's period.
void RefreshTempo();
