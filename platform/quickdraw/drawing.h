// Shapes drawn in the current port: lines, rectangles, round rectangles, ovals, arcs,
// polygons and regions, each framed (outline of the pen's size, inside the shape, pen
// pattern and mode), painted (pen pattern and mode), erased (background pattern, patCopy),
// inverted (or highlighted, see LMSetHiliteMode) or filled (given pattern, patCopy).
// Nothing is drawn outside the port's rectangle, visible region and clip region, or while
// the pen is hidden (frames and lines) -- and during region recording only outlines are
// recorded.
#pragma once

#include "platform/quickdraw/quickdraw_types.h"

// Lines from the pen location; the pen's rectangle hangs below and right of the path.
void LineTo(short h, short v);
void Line(short dh, short dv);

void FrameRect(const Rect* r);
void PaintRect(const Rect* r);
void EraseRect(const Rect* r);
void InvertRect(const Rect* r);
void FillRect(const Rect* r, const Pattern* pat);

void FrameOval(const Rect* r);
void PaintOval(const Rect* r);
void EraseOval(const Rect* r);
void InvertOval(const Rect* r);
void FillOval(const Rect* r, const Pattern* pat);

// ovalWidth and ovalHeight are the diameters of the corner curves.
void FrameRoundRect(const Rect* r, short ovalWidth, short ovalHeight);
void PaintRoundRect(const Rect* r, short ovalWidth, short ovalHeight);
void EraseRoundRect(const Rect* r, short ovalWidth, short ovalHeight);
void InvertRoundRect(const Rect* r, short ovalWidth, short ovalHeight);
void FillRoundRect(const Rect* r, short ovalWidth, short ovalHeight, const Pattern* pat);

// Angles in degrees clockwise from 12 o'clock, measured against the rectangle (45 points at
// its top right corner); a negative arcAngle goes anticlockwise. Painting gives the wedge.
void FrameArc(const Rect* r, short startAngle, short arcAngle);
void PaintArc(const Rect* r, short startAngle, short arcAngle);
void EraseArc(const Rect* r, short startAngle, short arcAngle);
void InvertArc(const Rect* r, short startAngle, short arcAngle);
void FillArc(const Rect* r, short startAngle, short arcAngle, const Pattern* pat);

// Polygon recording: OpenPoly starts one in the current port (nothing is drawn meanwhile),
// the lines drawn add their end points, ClosePoly ends it.
PolyHandle OpenPoly();
void ClosePoly();
void KillPoly(PolyHandle poly);
void OffsetPoly(PolyHandle poly, short dh, short dv);
void FramePoly(PolyHandle poly);
// Painting fills by the even-odd rule, the polygon closed from its last point to its first.
void PaintPoly(PolyHandle poly);
void ErasePoly(PolyHandle poly);
void InvertPoly(PolyHandle poly);
void FillPoly(PolyHandle poly, const Pattern* pat);

void FrameRgn(RgnHandle rgn);
void PaintRgn(RgnHandle rgn);
void EraseRgn(RgnHandle rgn);
void InvertRgn(RgnHandle rgn);
void FillRgn(RgnHandle rgn, const Pattern* pat);

// Fills with a pixel pattern (patCopy).
void FillCRect(const Rect* r, PixPatHandle pp);
void FillCOval(const Rect* r, PixPatHandle pp);
void FillCRoundRect(const Rect* r, short ovalWidth, short ovalHeight, PixPatHandle pp);
void FillCRgn(RgnHandle rgn, PixPatHandle pp);

// Calls drawingProc once for the (single) screen device with its depth and flags, as
// DeviceLoop does for each device the region touches.
using DeviceLoopDrawingProcPtr = void (*)(short depth, short deviceFlags, GDHandle targetDevice,
                                          long userData);
void DeviceLoop(RgnHandle drawingRgn, DeviceLoopDrawingProcPtr drawingProc, long userData,
                long flags);
