// Points and rectangles. A rectangle covers the pixels from (left, top) up to but not
// including (right, bottom); one with right <= left or bottom <= top is empty.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

void SetRect(Rect* r, short left, short top, short right, short bottom);
void OffsetRect(Rect* r, short dh, short dv);
// Moves each side inward by dh and dv (outward when negative); a result that is empty
// becomes (0, 0, 0, 0).
void InsetRect(Rect* r, short dh, short dv);
// Intersection; returns false (and sets (0, 0, 0, 0)) when it is empty. dst may be src1 or src2.
Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dst);
// Smallest rectangle holding both; an empty source is not skipped, as in the classic call.
void UnionRect(const Rect* src1, const Rect* src2, Rect* dst);
Boolean PtInRect(Point pt, const Rect* r);
Boolean EqualRect(const Rect* a, const Rect* b);
Boolean EmptyRect(const Rect* r);
// The smallest rectangle with the two points as corners.
void Pt2Rect(Point a, Point b, Rect* dst);
void SetPt(Point* pt, short h, short v);
void AddPt(Point src, Point* dst);
void SubPt(Point src, Point* dst);
Boolean EqualPt(Point a, Point b);
// Angle of pt seen from the rectangle's centre, in degrees clockwise from 12 o'clock,
// measured so that 45 points at the top right corner.
void PtToAngle(const Rect* r, Point pt, short* angle);
// Maps a point or rectangle from the frame of srcRect to that of dstRect (scaling).
void MapPt(Point* pt, const Rect* srcRect, const Rect* dstRect);
void MapRect(Rect* r, const Rect* srcRect, const Rect* dstRect);
