// Finding the instrument that best matches an output, for references to deleted instruments.
#pragma once

#include <cstdint>

// Index of the instrument with the best score among those with part 0 enabled that do not
// carry flag bit `bit` (0..7): same device kind 8 points, else 4 when both kinds have or both
// lack an audio-driver entry (kind 11 never matches); same port +2; same channel +1. Ties keep
// the lower index; -1 when none scores.
int32_t FindInstrumentForOutput(uint8_t deviceKind, uint8_t port, uint8_t channel, int32_t bit);
