// The pitch-bend display of a note pane: each note drawn as a line that follows the track's
// bend, one offset per pixel column from the origin x.
#pragma once

#include <cstdint>

// TrackEntry byte 121 bit: the track shows its notes bent.
constexpr uint8_t kTrackBendDisplay = 0x04;
constexpr int32_t kBendCentre = 0x2000;
constexpr int32_t kBendTop = 16384;

// The bend value per pixel column from the origin x, filled by the data lanes while the
// display is on; without a table every column is the centre.
extern const int32_t* gBendColumns;
extern int32_t gBendColumnCount;

// The row offset at pixel column c (clamped to the table) for a track bending range pixels a
// full bend: ((0x2000 - b) x range) / 8192, toward zero.
int32_t BendOffsetAt(int32_t column, int32_t range);
// The note from its start (not left of the origin x) to one pixel before its end (not past
// the window's right less 16) as segments of equal offset, in the current pen.
void DrawBentNote(const uint8_t* event);
// The same in the ghost pen (repeats and sections).
void DrawBentNoteShaded(const uint8_t* event);
// True when the current track shows its notes bent (never in the tempo lane, view mode 8).
bool IsBendDisplayOn();
// Outside the tempo lane: flips the current track's bend display, asks the current pane to
// draw afresh and redraws the editor. True when it flipped (the caller applies the view's tools
// again).
bool ToggleBendDisplay();
