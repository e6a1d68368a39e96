// Integer points on circles and quarter arcs, for knobs and round handles.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// trunc(radius x sin(degrees)); PolarCos is the same 90 degrees on.
int32_t PolarSin(int32_t degrees, int32_t radius);
int32_t PolarCos(int32_t degrees, int32_t radius);
// The offset (h = cos, v = sin) of the point at degrees on a circle of radius.
Point PolarToPoint(int32_t degrees, int32_t radius);

// Called once per degree of a walked arc, first true for its first point.
using ArcPointProc = void (*)(int16_t x, int16_t y, bool first);
// Calls proc for each degree from start to start + 90 (both included) on the ellipse of
// radii rx, ry around (cx, cy); returns the first point's x.
int16_t WalkQuarterArc(int16_t cx, int16_t cy, int16_t rx, int16_t ry, int32_t start, ArcPointProc proc);
