// The frames of a track's audio regions over its waveform: a rectangle per region, its name,
// the two drag handles in its corners, and finding a handle under the mouse.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quickdraw/quickdraw_types.h"

constexpr int16_t kRegionHandleSize = 8;

// Frame modes: the shared rectangle lines, the name with a red frame, a frame in the current
// colour.
enum : int16_t { kRegionFrameLines = 0, kRegionFrameNamed = 1, kRegionFramePlain = 2 };

// The rectangle of the region from sample position start to end (at rate) as the columns of a
// zoom shift show them against leftTick (negative shifts: against the editor's sample
// origin), spanning the scratch rectangle's height; the right edge is the end column + 1.
void GetRegionRect(int16_t shift, int32_t leftTick, int64_t start, int64_t end, float rate, Rect* out);
// The two handle squares of a region's rectangle: inside its top-left and bottom-right corners.
void GetRegionHandleRects(const Rect& region, Rect* topLeft, Rect* bottomRight);
// Draws one region's frame in a mode, with its handles when asked.
void DrawRegionFrame(int16_t mode, ConstStr255Param name, bool handles, const Rect& region);
// Draws the frames of the record's regions that the ticks from leftTick to rightTick touch
// (not the silent ones): pass 1 the shared rectangle lines with the top moved down a pixel,
// pass 2 the names in red frames, pass 0 plain frames a pixel shorter.
void DrawRegionFrames(Handle record, int32_t leftTick, int32_t rightTick, int16_t shift, int16_t pass, bool handles);
// The handle under point (window coordinates, the scratch rectangle being the audio row) of
// the current track's main record, from the left edge of the view to the main window's right
// edge: true and the region's index, else false and -1. The last region hit wins, or with
// act the first.
bool HitRegionHandle(Point point, bool act, int32_t* region);
