// Interim: converting between ticks of the current song and sample positions.
#pragma once

#include <cstdint>

// The sample position of a tick of the current song at the given rate.
int64_t TickToSamplePosition(uint32_t tick, float rate);
uint32_t SamplePositionToTick(int64_t position, float rate);
