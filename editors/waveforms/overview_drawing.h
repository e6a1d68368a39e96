// Drawing a waveform overview chain (one block per channel, one lane per block) into the
// drawing rectangle at a zoom shift of 0 or more: one vertical line per pixel column from the
// lowest to the highest value of the ticks it covers, silence bridged at the zero level. And
// the slow path that draws the same picture straight from the audio while no overview exists.
#pragma once

#include <cstdint>

#include "editors/waveforms/waveform_lanes.h"
#include "platform/memory/mac_types.h"

// The stretch of song drawn: the tick at the rectangle's left edge, the last tick drawn, the
// zoom shift and, for a looping track, its length (0: no repeats).
struct OverviewSpan {
  int32_t leftTick = 1;
  int32_t rightTick = 1;
  int16_t shift = 0;
  int32_t loopLength = 0;
};

// Answers of DrawOverviewFromAudio besides the read errors.
constexpr OSErr kWaveUnreadableFormat = -206;
constexpr OSErr kWaveNoRegions = -208;

// Draws a column: when it lies more than one pixel right of *lastColumn the zero line bridges
// the gap first; then the vertical line from y(low) to y(high). The column becomes the last.
int32_t DrawOverviewColumn(const WaveLane& lane, int16_t column, int16_t* lastColumn, int32_t low, int32_t high);
// Draws every block of the chain in its lane of r (the channel count from channels, or from
// the blocks when it is 0) in colour; the repeats of a looping track in the second colour.
// firstTick is the tick the blocks' first entries cover (1 for a track's overview, which
// then walks from the blocks' drawing-scan caches).
void DrawOverviewChain(Handle chain, int32_t firstTick, const Rect& r, const OverviewSpan& span, int16_t channels,
                       const RGBColor& colour);
// Draws the record's audio between the span's ticks as its overview would show it, computed
// now; 0, kWaveUnreadableFormat (the record's state is then -2), kWaveNoRegions or the
// read's error.
OSErr DrawOverviewFromAudio(const OverviewSpan& span, Handle record, const Rect& r, const RGBColor& colour);
