// The bar, beat and subdivision lines of the panes, and the grid step chosen from the zoom.
#pragma once

#include <cstdint>

#include "song/conductor/conductor_map.h"

constexpr uint32_t kGridTripletBit = 0x100;

// The source of the song's grid flag word (the note-value mask, or the grid mask when that is
// set); without one the grid is straight.
using GridFlagsProc = uint32_t (*)();
void SetGridFlagsSource(GridFlagsProc proc);
uint32_t GetGridFlagWord();

struct GridStep {
  int32_t pixels = 0;  // width of one step
  int32_t code = 0;    // subdivision lines after each beat line
  int32_t ticks = 1;   // one step, never below 1
};
// The subdivision of a beat that leaves room between the lines at this zoom.
GridStep ChooseGridStep(int16_t zoom, const ConductorState& meter);

// tick moved by ticks, held in 1..INT32_MAX.
int32_t OffsetTick(int32_t tick, int64_t ticks);

// The beat line offset ticks right of the left tick in the current pen, then the subdivision
// lines of the last chosen step in the subdivision pen. True once a line passed rightLimit.
bool DrawGridLines(int32_t offset, int16_t top, int16_t bottom, int16_t rightLimit);
// The bar lines of the current pane from firstBar on (one bar earlier when it starts right of
// the origin), with beat and subdivision lines where a bar is wide enough; the lines run down
// to gScratchRect's bottom + 2.
void DrawPaneBarLines(int32_t rightTick, int32_t firstBar, int16_t top, int16_t rightLimit, bool withBeats);
// The last bar the timeline shows of the current song: its length in bars, at most
// MaxBarsInTimeline, which is the limit too when the song's longest track loops.
int32_t GetTimelineBarLimit();
