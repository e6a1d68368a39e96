// The time selection in the main editor's panes: its rectangle in the current pane and its
// hilite.
#pragma once

#include <cstdint>

#include "editors/timeline/click_state.h"

// The pitch range of the time selection in note and drum views is gFilterLowNote and
// gFilterHighNote of the click state.

// gScratchRect = the time selection's rectangle in the current pane, always inside the pane:
// from the x of its start (at least the pane's left) to the x of its end (start + 1 without a
// selection; at most the pane's right); in note views of a track that plays no audio, over
// the rows of the pitch range, else over the pane's height.
void SetScratchToSelection();
void HiliteSelection();
// The selection hilited in every selected pane (gPaneVisitMask); the current pane stays.
void HiliteSelectionInPanes();
void EraseSelection();
void InvalidateSelection();
// Sets the pitch range to 0..127; when it changed the panes are redrawn and true returned.
bool ResetSelectionPitchRange();
