// The sequencer's tempo output: a tempo change passed to the MIDI outputs that follow the
// program's tempo. Main thread.
#pragma once

#include <cstdint>

// tempo in tenths of a beat per minute, position a song tick.
void SendTempoOutput(int32_t tempo, int32_t position);
