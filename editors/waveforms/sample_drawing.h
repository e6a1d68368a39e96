// The closest zoom levels: a track's samples drawn one by one from its audio, each channel in
// its lane over a red zero line. Level -1 gives each sample 4 pixels and marks it with a small
// cross; levels 0..4 give each pixel column 2^level samples (a line through the samples at
// level 0, the lowest to the highest sample of each column above it).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"

// Draws the visible samples of the record into the scratch rectangle from the editor's sample
// origin (gTimelineLeftSample at the rectangle's left edge) to the main window's right edge
// less 15 pixels. 0, or the error of a read (what was read before it stays drawn); an
// encoding that cannot be read sets the record's state to -2 and draws nothing.
OSErr DrawTrackSamples(Handle record, int16_t level, const RGBColor& colour);
