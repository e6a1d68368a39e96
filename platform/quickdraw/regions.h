// Regions: sets of pixels kept as y-x banded lists of rectangles.
//
// A region is a handle whose block holds a big-endian image:
//   0  u16  rgnSize: 10 for an empty or rectangular region, else the block size (at most 0x7FFF)
//   2  Rect rgnBBox: top, left, bottom, right (i16 each); (0, 0, 0, 0) when empty
//  10  u32  number of rectangles that follow
//  14  Rect rectangles, banded: sorted by top, then left; within a band all have the same
//      top and bottom, bands never overlap, and rectangles in a band never touch.
// Every call checks its handles: a null or disposed handle is ignored (QDError paramErr).
// Coordinates are clamped to the i16 range.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

RgnHandle NewRgn();
void DisposeRgn(RgnHandle rgn);
void CopyRgn(RgnHandle src, RgnHandle dst);
void SetEmptyRgn(RgnHandle rgn);
void SetRectRgn(RgnHandle rgn, short left, short top, short right, short bottom);
void RectRgn(RgnHandle rgn, const Rect* r);
void OffsetRgn(RgnHandle rgn, short dh, short dv);
// Shrinks the region by dh horizontally and dv vertically (grows it when negative).
void InsetRgn(RgnHandle rgn, short dh, short dv);
void SectRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void XorRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
Boolean PtInRgn(Point pt, RgnHandle rgn);
// True when the rectangle and the region share at least one pixel.
Boolean RectInRgn(const Rect* r, RgnHandle rgn);
Boolean EqualRgn(RgnHandle a, RgnHandle b);
Boolean EmptyRgn(RgnHandle rgn);
RgnHandle GetRegionBounds(RgnHandle rgn, Rect* bounds);
Boolean IsRegionRectangular(RgnHandle rgn);
// Maps the region from the frame of srcRect to that of dstRect.
void MapRgn(RgnHandle rgn, const Rect* srcRect, const Rect* dstRect);
// The set bits of a one-bit BitMap (or the non-white pixels of a PixMap passed as a
// BitMap), in the bitmap's coordinates.
OSErr BitMapToRegion(RgnHandle rgn, const BitMap* bits);

// Region recording: between OpenRgn and CloseRgn the current port draws nothing; framed
// rectangles, ovals, round rectangles, regions and polygons and the lines drawn add their
// outlines, and CloseRgn gives the area they enclose (even-odd).
void OpenRgn();
void CloseRgn(RgnHandle dst);

// Number of rectangles of the region and one of them (index from 0), for the window layer
// and for tests.
SInt32 CountRegionRects(RgnHandle rgn);
Boolean GetRegionRect(RgnHandle rgn, SInt32 index, Rect* r);

// Result of the last region or drawing call that can fail (noErr, paramErr, memFullErr,
// unimpErr for a picture opcode outside the supported set, ...).
OSErr QDError();
