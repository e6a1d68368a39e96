// Walks over the chain of real-time MIDI processors.
#pragma once

#include <cstdint>

// For every processor: flags = (flags & mask) | bits.
void UpdateRealtimeProcessorFlags(uint16_t mask, uint16_t bits);
// Clears flag bits 0-1 and resets each processor's state.
void ResetRealtimeProcessors();
// Sets flag bits 0-1: every processor runs.
void FlagAllRealtimeProcessors();
// Resets each processor's state block only.
void ResetRealtimeProcessorStates();
