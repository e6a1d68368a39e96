// What the main editor keeps of the click being handled, for the hit tests, the time selection
// and the selection tracker: where it was, whether it was in the ruler, and the pitch range and
// tools that shape a selection.
#pragma once

#include <cstdint>

// The tool that makes a plain drag in a note view select a rectangle of notes.
constexpr int16_t kRubberBandNoteTool = 3;
// The pointer mode in which a click in a note or drum view also picks a pitch range.
constexpr int16_t kPitchRangePointerMode = 3;

extern int16_t gClickX;          // x of the click (or of the tracked pointer)
extern uint8_t gClickInRuler;
extern uint8_t gBarLabelHit;     // the click was on a bar number of the ruler
extern uint8_t gFilterLowNote;   // the pitch range of the time selection (0 and 127: whole panes)
extern uint8_t gFilterHighNote;
// The edit tool of the note and drum views; the pointer mode is the same word under the name
// the selection rules use.
extern int16_t gNoteTool;
extern int16_t& gPointerMode;
extern int32_t gSelectionAnchorTick;

// The pitch range back to whole panes (0..127).
void ResetClickPitchRange();
