// The pages of the Preferences dialog. Each page shows its settings, runs its own modal loop
// until OK, Cancel or the page pop-up is hit, and keeps its edits unless Cancel was hit.
#pragma once

#include <cstdint>

// What the pages edit that is applied only when the dialog ends: the clock source (0 the
// hardware timer, 1 the internal one) and the number of undo levels.
struct PreferencesPending {
  uint8_t clockSource = 1;
  int32_t undoLevels = 0;
};
extern PreferencesPending gPreferencesPending;

// Runs page 0..4 of the open dialog; answers the item that ended it (1, 2 or 4).
int16_t RunPreferencesPage(int16_t page);
// Item 3: the chosen clock source takes effect at once.
void ApplyPendingClockSource();
