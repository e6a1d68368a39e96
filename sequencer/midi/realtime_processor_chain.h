// Walks over the chain of real-time MIDI processors for the instrument table: their run
// flags and their state.
#pragma once

// Fills gProcessorChainHooks (song/instruments/processor_chain_hooks.h).
void InstallProcessorChainHooks();
