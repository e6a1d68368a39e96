// What the instrument table asks of the sequencer's chain of real-time MIDI processors: their
// run flags, their state and their binding to the tracks they serve (MIDI thru). Installed by the sequencer at start-up
// (InstallProcessorChainHooks); an entry not installed does nothing.
#pragma once

#include <cstdint>

struct ProcessorChainHooks {
  // Main thread, all of them.
  void (*updateFlags)(uint16_t mask, uint16_t bits);
  void (*reset)();
  void (*resetStates)();
  void (*bindToTracks)();
};
extern ProcessorChainHooks gProcessorChainHooks;

// For every processor: flags = (flags & mask) | bits.
void UpdateRealtimeProcessorFlags(uint16_t mask, uint16_t bits);
// Clears flag bits 0-1 and resets each processor's state.
void ResetRealtimeProcessors();
// Sets flag bits 0-1: every processor runs.
void FlagAllRealtimeProcessors();
// Resets each processor's state block only.
void ResetRealtimeProcessorStates();
// Binds the processors again to the tracks they serve; called after the instrument table, the
// current song or a track's routing changed. Not installed: nothing.
void ResetNodeList();
