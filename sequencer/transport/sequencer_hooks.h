// Fills the hook tables through which the lower layers reach the sequencer.
#pragma once

// The song model's transport hooks (song/model/transport_hooks.h) and the instrument table's
// MIDI hooks (song/instruments/midi_hooks.h).
void InstallSequencerHooks();
