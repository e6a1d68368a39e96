// The beat indicator of the counter window (lamp 1 of the info panel, bit 0x100 of the
// display word): it blinks with the beats while the transport plays or records. Main thread,
// from the idle pass.
#pragma once

#include <cstdint>

// The phase the indicator follows with the internal clock: twice the beats counted from the
// song's start, plus 1 in the second half of a beat.
uint32_t BeatIndicatorPhase(uint32_t bar, uint32_t beatsPerBar, uint32_t beat, uint32_t tickInBeat,
                            uint32_t ticksPerBeat);
// With an external clock: TickCount ticks between changes at a tempo in tenths (36000 / tempo,
// at least 1).
uint32_t BeatIndicatorTimeout(uint32_t tempo);
// Toggles the indicator at each change of the phase (or after the external clock's time-out)
// and invalidates its lamp; while note polling is suspended and no tapped tempo is taken the
// indicator is set once and left. Nothing while the transport is stopped.
void UpdateBeatIndicator();
