// Snapping the times the editors take from the pointer to the grid (GetSnapGrid), with
// swing: every odd grid step moves late by the swing percentage.
#pragma once

#include <cstdint>

// Interim: the swing percentage (20..80; 0 and 50 mean none) lives here until the
// arpeggiator slot record that holds it is built.
extern uint8_t gSwingPercent;
// The tick all snapping is relative to.
extern int32_t gGridOriginTick;
// The editor's snap switch: 0 leaves pointer times as they are.
extern int16_t gSnapSwitch;

// time split into bar and offset by the meter; step = offset / grid (rounded to the nearest
// step when asked); an odd step moves by MulDivRound (2 x grid, swing, 100) - grid. Answers
// the bar's tick + step x grid (+ swing), and the step through step (may be null). A grid of
// 0 or less answers the time.
int32_t QuantizeToGrid(int32_t time, int32_t grid, bool nearest, int32_t swing, int32_t* step);
// The swing a grid is snapped with: 50 for the triplet lengths of the note-length table and
// for a quarter note or longer, else gSwingPercent (0 counts as 50).
int32_t SwingForGrid(int32_t grid);
// Grid 0 means GetSnapGrid; the time is at least 1; without snap it is answered as is.
int32_t SnapTimeToGrid(int32_t time, int32_t grid, bool snap, bool nearest, int32_t* step);
// The length from time to the next swung step of the note value (the note value itself with
// swing 0 or 50); at least 1.
int32_t SwingOffset(int32_t time, int32_t swing);
// The snapped tick at a window x of the current pane (no drag offset).
int32_t SnappedTimeAtX(int32_t x);
// The snapped tick at the pointer, less a horizontal drag offset.
int32_t SnappedTimeAtMouse(int32_t dragOffsetX);
