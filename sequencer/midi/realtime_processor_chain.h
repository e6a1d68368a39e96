// Walks over the chain of real-time MIDI processors for the instrument table: their run
// flags and their state.
#pragma once

#include <cstdint>

// Run flags of a processor's flags word: bit 0 live processing, bit 1 rechannel recorded events.
constexpr uint16_t kProcessorRunFlags = 0x0003;

// For every processor: flags = (flags & mask) | bits; the live state's flags byte follows the
// word's low byte.
void UpdateChainFlags(uint16_t mask, uint16_t bits);
// Clears the run flags and resets the state of every processor; the state keeps echoing to the
// output the processor is bound to.
void ResetChainProcessors();
// Resets the state of every processor (its output binding stays).
void ResetChainStates();
// Fills gProcessorChainHooks (song/instruments/processor_chain_hooks.h).
void InstallProcessorChainHooks();
