// Spacing of the key signature's accidentals in the counter window.
#pragma once

#include <cstdint>

extern int16_t gAccidentalSpacing;

// ((28 - 4 x count) / 2) / count + 4, at most 6. A count of 0 or less (no accidentals) gives
// the widest spacing; a count above 7 is taken as 7.
void SetCounterDigitSpacing(int32_t count);
