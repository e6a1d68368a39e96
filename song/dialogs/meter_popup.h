// The meter pop-up: the nine meters of the meter table, the one in force marked; a choice
// writes that meter over the time selection as one undo step.
#pragma once

#include <cstdint>

// Builds the pop-up's items ("n/d") with the current meter marked; returns its entry (-1
// when the meter is not in the table).
int32_t BuildMeterPopup();
// Shows the pop-up at the global point (h, v); a choice is applied (ApplyMeterTableEntry,
// which redraws every view with the conductor list). Returns the chosen entry, -1 for none.
int32_t RunMeterPopup(int16_t h, int16_t v);
