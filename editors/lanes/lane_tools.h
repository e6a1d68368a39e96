// The data lanes' editing tools: the pencil, which follows the mouse, and the curve tool,
// which draws a quarter ellipse from the press point to the release point. Both draw into the
// lane columns while the button is held and write the touched span back on release, the whole
// gesture one undoable step.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/memory/mac_types.h"

// Undo kinds of the lane edits.
enum : int32_t { kUndoKindLaneEdit = 20, kUndoKindBendLaneEdit = 21, kUndoKindTempoLaneEdit = 23 };

// The x of the previous mouse sample of a drag (the curve walker sets it to an arc's first x).
extern int32_t gLastPencilX;

// gScratchRect = the event strip of the current pane's lane (its content right of the
// timeline's origin).
void LoadLaneEventRect();
// A mouse-down in a lane pane's event strip (window coordinates).
void HandleLaneClick(Point where, EventRecord* event);
// The gestures, inside their undoable step (gScratchRect the lane).
void TrackLanePencil(Point press);
void TrackLaneCurve(Point press, bool orientation);

// Column edits of the tools, by window x (columns outside the buffer are left alone).
// Columns x0..x1 (either order) by linear interpolation from v0 at x0 to v1 at x1, integer
// division, so a stroke fills the same columns whichever way it runs; for one column, v1.
void FillLaneColumnsLinear(int32_t x0, int32_t v0, int32_t x1, int32_t v1);
// The program lane: column x and every following column that held column x's value get v;
// answers the last x changed.
int32_t FillProgramRun(int32_t x, int32_t v);
// Every column of left..right - 1 without a value (at or above the kind's no-value threshold)
// takes the last value left of it in the span; those before the span's first value stay.
void FillEmptyLaneColumns(int32_t kind, int32_t left, int32_t right);
// Every column between gLastPencilX and x gets the value at y (the curve's point procedure).
void SetColumnsToMouseValue(int16_t x, int16_t y, bool first);
// The MIDI channel columns of x0..x1 get the channel.
void SetLaneChannelColumns(int32_t x0, int32_t x1, uint8_t channel);

// Fills gScratchRect with the white pattern.
void FillSharedRect();
// In the program lane: the byte offset in the current track's list of the program change
// whose 7x7 circle holds the point, or -1.
int32_t HitTestProgramEvent(Point where);
// A click on a program change's circle opens the program-change dialog; true when taken.
bool OpenProgramEventAtClick(Point where);
