// The waveform of the current audio track, drawn into the shared scratch rectangle that the
// caller set up for the track's row (the main editor's audio panes, the track window's
// overview strip): from the track's overview, straight from its audio while no overview
// exists, or sample by sample at the closest zoom levels; the regions' frames over it.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// Regions are framed over the waveform (on by default).
extern uint8_t gRegionDisplay;
// Audio above kLargeOverviewBytes keeps an overview only while this is on (off by default).
extern uint8_t gLargeOverviews;
constexpr int64_t kLargeOverviewBytes = 104857600;

// Passes of the row drawing: 1 before the rest of the row, 2 after it, 0 neither.
enum : int16_t { kWavePassAlone = 0, kWavePassBefore = 1, kWavePassAfter = 2 };

// Draws the current track's waveform from leftTick (the rectangle's left edge) to rightTick
// at a zoom shift (negative: samples, the view starting at the editor's sample origin), in
// colour or, when null, the record's waveform colour. Without an overview it starts its
// computation; see the source for the states of the record.
void DrawTrackOverview(int32_t leftTick, int32_t rightTick, int16_t shift, int16_t pass, const RGBColor* colour);
// "L" and "R" in bold at the left of the two lanes of a stereo track in the scratch rectangle.
void DrawChannelLabels();
// Bytes of the current track's audio over the track's length (frames x bytes per sample x
// channels).
int64_t GetTrackAudioByteSize(Handle record);
