// Dragging a bar line with the bar tool: the bar before the line is stretched or squeezed so
// that the line lands where it was dropped, and everything from that bar to the song's end
// scales with it, tempo changes included.
#pragma once

#include <cstdint>

constexpr int16_t kBarLineCursor = 507;

// The line of bar (1 or later: the song's first line does not move) follows the mouse from
// gLastMousePoint between the lines before and after it; on release the time from the line
// before it to the song's end scales by (bar length + move) : bar length as one undoable step
// over every track. Answers true when the song changed.
bool DragBarLine(int32_t bar);
// The move of a bar line dragged dx pixels at tick, in ticks (at the audio zoom levels through
// the sample mapping).
int32_t BarLineMoveTicks(int32_t tick, int32_t dx);
// What a bar line move of move ticks does to the bar between previousTick and tick: false
// when the bar would vanish (or the line is the song's first); else the scale ratio.
bool BarLineScaleRatio(int32_t previousTick, int32_t tick, int32_t move, int32_t* numerator, int32_t* denominator);
