#include "platform/quickdraw/drawing.h"

#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/screen.h"
#include "platform/system/quickdraw_random.h"

using namespace qd_internal;

namespace {

enum Verb { kFrame, kPaint, kErase, kInvert, kFill };

// Pen modes are pattern modes; a source mode names the same operation.
int PenTransferMode(CGrafPtr port) {
  int m = port->pnMode;
  return (m >= srcCopy && m <= notSrcBic) ? m + patCopy : m;
}

// Inverting uses the highlight colour once after the mode bit was cleared.
int InvertMode() {
  UInt8 mode = LMGetHiliteMode();
  if (mode & kHiliteModeBit) return patXor;
  LMSetHiliteMode(UInt8(mode | kHiliteModeBit));
  return hilite;
}

void Render(Verb verb, const PixRegion& area, const Pattern* fillPat) {
  CGrafPtr port = CurrentPort();
  if (port->pnVis < 0) return;
  PaintSource src;
  int mode = patCopy;
  switch (verb) {
    case kFrame:
    case kPaint:
      src.pat = port->pnPat;
      if (port->pnPixPat) {
        src.kind = PaintSource::kPixPat;
        src.pixPat = port->pnPixPat;
      }
      mode = PenTransferMode(port);
      break;
    case kErase:
      src.pat = port->bkPat;
      if (port->bkPixPat) {
        src.kind = PaintSource::kPixPat;
        src.pixPat = port->bkPixPat;
      }
      break;
    case kInvert:
      src.pat = qd.black;
      mode = InvertMode();
      break;
    case kFill:
      if (fillPat) src.pat = *fillPat;
      break;
  }
  DrawArea(port, area, src, mode);
}

// Draws a shape given its filled area and (for frames) its outline.
void DrawShape(Verb verb, const PixRegion& filled, const PixRegion& outline, const Pattern* pat) {
  CGrafPtr port = CurrentPort();
  if (verb == kFrame && IsRecordingRegion(port)) RecordRegionArea(port, filled);
  Render(verb, verb == kFrame ? outline : filled, pat);
}

void RectShape(Verb verb, const Rect* r, const Pattern* pat) {
  if (!r) return;
  PixRegion filled(*r), outline;
  if (verb == kFrame) FrameArea(filled, CurrentPort()->pnSize, &outline);
  DrawShape(verb, filled, outline, pat);
}

// Inner shape of a framed oval or round rectangle: inset by the pen, curves shrunk with it.
void RoundShape(Verb verb, const Rect* r, int ow, int oh, const Pattern* pat) {
  if (!r) return;
  CGrafPtr port = CurrentPort();
  Rect bounds = PortDrawableBounds(port);
  const Rect* limit = IsRecordingRegion(port) ? nullptr : &bounds;
  PixRegion filled, outline;
  RoundRectArea(*r, ow, oh, &filled, limit);
  if (verb == kFrame) {
    Point pen = port->pnSize;
    Rect inner{short(r->top + pen.v), short(r->left + pen.h), short(r->bottom - pen.v),
               short(r->right - pen.h)};
    PixRegion hole;
    RoundRectArea(inner, ow - 2 * pen.h, oh - 2 * pen.v, &hole, limit);
    outline = filled;
    outline.Subtract(hole);
    if (pen.h <= 0 || pen.v <= 0) outline.Clear();
  }
  DrawShape(verb, filled, outline, pat);
}

void OvalShape(Verb verb, const Rect* r, const Pattern* pat) {
  if (r) RoundShape(verb, r, r->right - r->left, r->bottom - r->top, pat);
}

void ArcShape(Verb verb, const Rect* r, short start, short arc, const Pattern* pat) {
  if (!r) return;
  PixRegion oval, sector;
  Rect limit = PortDrawableBounds(CurrentPort());
  OvalArea(*r, &oval, &limit);
  ArcSectorArea(*r, start, arc, &sector, &limit);
  if (verb == kFrame) {
    Point pen = CurrentPort()->pnSize;
    Rect inner{short(r->top + pen.v), short(r->left + pen.h), short(r->bottom - pen.v),
               short(r->right - pen.h)};
    PixRegion hole;
    OvalArea(inner, &hole, &limit);
    oval.Subtract(hole);
    if (pen.h <= 0 || pen.v <= 0) oval.Clear();
  }
  oval.Intersect(sector);
  Render(verb, oval, pat);  // arcs are not recorded into regions
}

// Points of a polygon handle, checked against its size.
std::vector<Point> PolyPoints(PolyHandle poly) {
  std::vector<Point> pts;
  const char* p = HandleData(poly);
  if (!p) return pts;
  Size size = GetHandleSize(poly);
  if (size < 10) return pts;
  Size declared = ReadU16BE(p);
  if (declared < size) size = declared;
  for (Size off = 10; off + 4 <= size; off += 4) pts.push_back(Point{ReadI16BE(p + off), ReadI16BE(p + off + 2)});
  return pts;
}

void PolyShape(Verb verb, PolyHandle poly, const Pattern* pat) {
  std::vector<Point> pts = PolyPoints(poly);
  if (pts.empty()) return;
  CGrafPtr port = CurrentPort();
  PixRegion filled;
  Rect limit = PortDrawableBounds(port);
  PolygonArea(pts, &filled, IsRecordingRegion(port) ? nullptr : &limit);
  if (verb != kFrame) {
    Render(verb, filled, pat);
    return;
  }
  if (IsRecordingRegion(port)) RecordRegionArea(port, filled);
  PixRegion outline, seg;
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    LineArea(pts[i], pts[i + 1], port->pnSize, &seg, &limit);
    outline.Union(seg);
  }
  Render(kFrame, outline, nullptr);
  port->pnLoc = pts.back();
}

void RgnShape(Verb verb, RgnHandle rgn, const Pattern* pat) {
  PixRegion filled, outline;
  if (!LoadRegion(rgn, &filled)) {
    SetQDError(paramErr);
    return;
  }
  if (verb == kFrame) FrameArea(filled, CurrentPort()->pnSize, &outline);
  DrawShape(verb, filled, outline, pat);
}

void PixPatShape(const PixRegion& area, PixPatHandle pp) {
  CGrafPtr port = CurrentPort();
  if (port->pnVis < 0) return;
  PaintSource src;
  src.kind = PaintSource::kPixPat;
  src.pixPat = pp;
  src.pat = qd.black;
  DrawArea(port, area, src, patCopy);
}

}  // namespace

void LineTo(short h, short v) {
  CGrafPtr port = CurrentPort();
  Point from = port->pnLoc, to{v, h};
  port->pnLoc = to;
  if (IsRecordingPoly(port)) RecordPolyLine(port, from, to);
  if (IsRecordingRegion(port)) RecordRegionLine(port, from, to);
  if (port->pnVis < 0) return;
  PixRegion area;
  Rect limit = PortDrawableBounds(port);
  LineArea(from, to, port->pnSize, &area, &limit);
  Render(kPaint, area, nullptr);
}

void Line(short dh, short dv) {
  Point p = CurrentPort()->pnLoc;
  LineTo(short(p.h + dh), short(p.v + dv));
}

void FrameRect(const Rect* r) { RectShape(kFrame, r, nullptr); }
void PaintRect(const Rect* r) { RectShape(kPaint, r, nullptr); }
void EraseRect(const Rect* r) { RectShape(kErase, r, nullptr); }
void InvertRect(const Rect* r) { RectShape(kInvert, r, nullptr); }
void FillRect(const Rect* r, const Pattern* pat) { RectShape(kFill, r, pat); }

void FrameOval(const Rect* r) { OvalShape(kFrame, r, nullptr); }
void PaintOval(const Rect* r) { OvalShape(kPaint, r, nullptr); }
void EraseOval(const Rect* r) { OvalShape(kErase, r, nullptr); }
void InvertOval(const Rect* r) { OvalShape(kInvert, r, nullptr); }
void FillOval(const Rect* r, const Pattern* pat) { OvalShape(kFill, r, pat); }

void FrameRoundRect(const Rect* r, short ow, short oh) { RoundShape(kFrame, r, ow, oh, nullptr); }
void PaintRoundRect(const Rect* r, short ow, short oh) { RoundShape(kPaint, r, ow, oh, nullptr); }
void EraseRoundRect(const Rect* r, short ow, short oh) { RoundShape(kErase, r, ow, oh, nullptr); }
void InvertRoundRect(const Rect* r, short ow, short oh) { RoundShape(kInvert, r, ow, oh, nullptr); }
void FillRoundRect(const Rect* r, short ow, short oh, const Pattern* pat) {
  RoundShape(kFill, r, ow, oh, pat);
}

void FrameArc(const Rect* r, short start, short arc) { ArcShape(kFrame, r, start, arc, nullptr); }
void PaintArc(const Rect* r, short start, short arc) { ArcShape(kPaint, r, start, arc, nullptr); }
void EraseArc(const Rect* r, short start, short arc) { ArcShape(kErase, r, start, arc, nullptr); }
void InvertArc(const Rect* r, short start, short arc) { ArcShape(kInvert, r, start, arc, nullptr); }
void FillArc(const Rect* r, short start, short arc, const Pattern* pat) {
  ArcShape(kFill, r, start, arc, pat);
}

void FramePoly(PolyHandle poly) { PolyShape(kFrame, poly, nullptr); }
void PaintPoly(PolyHandle poly) { PolyShape(kPaint, poly, nullptr); }
void ErasePoly(PolyHandle poly) { PolyShape(kErase, poly, nullptr); }
void InvertPoly(PolyHandle poly) { PolyShape(kInvert, poly, nullptr); }
void FillPoly(PolyHandle poly, const Pattern* pat) { PolyShape(kFill, poly, pat); }

void FrameRgn(RgnHandle rgn) { RgnShape(kFrame, rgn, nullptr); }
void PaintRgn(RgnHandle rgn) { RgnShape(kPaint, rgn, nullptr); }
void EraseRgn(RgnHandle rgn) { RgnShape(kErase, rgn, nullptr); }
void InvertRgn(RgnHandle rgn) { RgnShape(kInvert, rgn, nullptr); }
void FillRgn(RgnHandle rgn, const Pattern* pat) { RgnShape(kFill, rgn, pat); }

void FillCRect(const Rect* r, PixPatHandle pp) {
  if (r) PixPatShape(PixRegion(*r), pp);
}

void FillCOval(const Rect* r, PixPatHandle pp) {
  if (!r) return;
  PixRegion area;
  OvalArea(*r, &area);
  PixPatShape(area, pp);
}

void FillCRoundRect(const Rect* r, short ow, short oh, PixPatHandle pp) {
  if (!r) return;
  PixRegion area;
  RoundRectArea(*r, ow, oh, &area);
  PixPatShape(area, pp);
}

void FillCRgn(RgnHandle rgn, PixPatHandle pp) {
  PixRegion area;
  if (LoadRegion(rgn, &area)) PixPatShape(area, pp);
}

void DeviceLoop(RgnHandle, DeviceLoopDrawingProcPtr drawingProc, long userData, long) {
  if (!drawingProc) return;
  GDHandle gd = GetMainDevice();
  drawingProc(32, short((*gd)->gdFlags), gd, userData);
}
