#include "platform/quickdraw/ports.h"

#include <algorithm>

#include "platform/memory/memory.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/system/quickdraw_random.h"

using namespace qd_internal;

namespace qd_internal {

bool PortIsOpen(CGrafPtr port) { return port && port->portMagic == kPortMagic; }

CGrafPtr CurrentPort() {
  if (PortIsOpen(qd.thePort)) return qd.thePort;
  EnsureScreen();
  CGrafPtr screen = GetScreenPort();
  qd.thePort = screen;
  return screen;
}

void PortDrawableArea(CGrafPtr port, PixRegion* out) {
  const Rect& pr = port->portRect;
  out->SetRect(pr.left, pr.top, pr.right, pr.bottom);
  PixRegion other;
  if (LoadRegion(port->visRgn, &other)) out->Intersect(other);
  if (LoadRegion(port->clipRgn, &other)) out->Intersect(other);
  const PixMap& pm = port->pixMap;
  out->Translate(-pm.bounds.left, -pm.bounds.top);
  out->IntersectRect(0, 0, PixMapWidth(pm), PixMapHeight(pm));
}

Rect PortDrawableBounds(CGrafPtr port) {
  PixRegion area;
  PortDrawableArea(port, &area);
  Rect b = area.Bounds();
  OffsetRect(&b, port->pixMap.bounds.left, port->pixMap.bounds.top);
  return b;
}

}  // namespace qd_internal

namespace {

constexpr Rect kWideOpen{-32767, -32767, 32767, 32767};

void SetWideOpen(RgnHandle rgn) { RectRgn(rgn, &kWideOpen); }

}  // namespace

void InitGraf(void*) { EnsureScreen(); }

void GetPort(GrafPtr* port) {
  if (port) *port = CurrentPort();
}

void SetPort(GrafPtr port) {
  if (!PortIsOpen(port)) {
    SetQDError(paramErr);
    return;
  }
  qd.thePort = port;
}

GrafPtr GetQDGlobalsThePort() { return CurrentPort(); }

Boolean IsValidPort(CGrafPtr port) { return PortIsOpen(port); }

void InitCPort(CGrafPtr port) {
  if (!port) return;
  EnsureScreen();
  RgnHandle vis = PortIsOpen(port) ? port->visRgn : NewRgn();
  RgnHandle clip = PortIsOpen(port) ? port->clipRgn : NewRgn();
  *port = CGrafPort{};
  port->portMagic = kPortMagic;
  port->portKind = kPortKindPlain;
  port->pixMap = *ScreenPixMap();
  port->pixMapPtr = &port->pixMap;
  port->device = GetMainDevice();
  port->portRect = port->pixMap.bounds;
  port->visRgn = vis;
  port->clipRgn = clip;
  RectRgn(vis, &port->portRect);
  SetWideOpen(clip);
}

void OpenCPort(CGrafPtr port) {
  if (!port) return;
  if (PortIsOpen(port)) CloseCPort(port);
  port->portMagic = 0;
  InitCPort(port);
  qd.thePort = port;
}

void CloseCPort(CGrafPtr port) {
  if (!PortIsOpen(port)) return;
  DisposeRgn(port->visRgn);
  DisposeRgn(port->clipRgn);
  port->visRgn = nullptr;
  port->clipRgn = nullptr;
  port->portMagic = 0;
  if (qd.thePort == port) qd.thePort = nullptr;
}

void OpenPort(GrafPtr port) { OpenCPort(port); }
void ClosePort(GrafPtr port) { CloseCPort(port); }

CGrafPtr CreateNewPort() {
  auto* port = new CGrafPort;
  GrafPtr saved = qd.thePort;
  OpenCPort(port);
  qd.thePort = saved;
  return port;
}

void DisposePort(CGrafPtr port) {
  if (!PortIsOpen(port) || port->portKind != kPortKindPlain) return;
  CloseCPort(port);
  delete port;
}

Rect* GetPortBounds(CGrafPtr port, Rect* rect) {
  if (rect) *rect = PortIsOpen(port) ? port->portRect : Rect{};
  return rect;
}

void SetPortBounds(CGrafPtr port, const Rect* rect) {
  if (PortIsOpen(port) && rect) port->portRect = *rect;
}

PixMapHandle GetPortPixMap(CGrafPtr port) {
  return PortIsOpen(port) ? &port->pixMapPtr : nullptr;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) {
  return PortIsOpen(port) ? reinterpret_cast<const BitMap*>(&port->pixMap) : nullptr;
}

RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn) {
  if (PortIsOpen(port)) CopyRgn(port->visRgn, visRgn);
  return visRgn;
}

void SetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn) {
  if (PortIsOpen(port)) CopyRgn(visRgn, port->visRgn);
}

RgnHandle GetPortClipRegion(CGrafPtr port, RgnHandle clipRgn) {
  if (PortIsOpen(port)) CopyRgn(port->clipRgn, clipRgn);
  return clipRgn;
}

void SetPortClipRegion(CGrafPtr port, RgnHandle clipRgn) {
  if (PortIsOpen(port)) CopyRgn(clipRgn, port->clipRgn);
}

void* GetPortOwner(CGrafPtr port) { return PortIsOpen(port) ? port->portOwner : nullptr; }

void SetPortOwner(CGrafPtr port, void* owner) {
  if (PortIsOpen(port)) port->portOwner = owner;
}

void SetOrigin(short h, short v) {
  CGrafPtr port = CurrentPort();
  short dh = short(h - port->portRect.left), dv = short(v - port->portRect.top);
  if (dh == 0 && dv == 0) return;
  OffsetRect(&port->portRect, dh, dv);
  OffsetRect(&port->pixMap.bounds, dh, dv);
  OffsetRgn(port->visRgn, dh, dv);
}

void MovePortTo(short left, short top) {
  CGrafPtr port = CurrentPort();
  PixMap& pm = port->pixMap;
  short w = short(PixMapWidth(pm)), hgt = short(PixMapHeight(pm));
  pm.bounds.left = short(port->portRect.left - left);
  pm.bounds.top = short(port->portRect.top - top);
  pm.bounds.right = short(pm.bounds.left + w);
  pm.bounds.bottom = short(pm.bounds.top + hgt);
}

void PortSize(short width, short height) {
  CGrafPtr port = CurrentPort();
  port->portRect.right = short(port->portRect.left + width);
  port->portRect.bottom = short(port->portRect.top + height);
}

void QDLocalToGlobalPoint(CGrafPtr port, Point* pt) {
  if (!PortIsOpen(port) || !pt) return;
  pt->h = short(pt->h - port->pixMap.bounds.left);
  pt->v = short(pt->v - port->pixMap.bounds.top);
}

void QDGlobalToLocalPoint(CGrafPtr port, Point* pt) {
  if (!PortIsOpen(port) || !pt) return;
  pt->h = short(pt->h + port->pixMap.bounds.left);
  pt->v = short(pt->v + port->pixMap.bounds.top);
}

void LocalToGlobal(Point* pt) { QDLocalToGlobalPoint(CurrentPort(), pt); }
void GlobalToLocal(Point* pt) { QDGlobalToLocalPoint(CurrentPort(), pt); }

void GetClip(RgnHandle rgn) { CopyRgn(CurrentPort()->clipRgn, rgn); }
void SetClip(RgnHandle rgn) { CopyRgn(rgn, CurrentPort()->clipRgn); }

void ClipRect(const Rect* r) {
  if (r) RectRgn(CurrentPort()->clipRgn, r);
}

void QDFlushPortBuffer(CGrafPtr port, RgnHandle rgn) {
  if (!PortIsOpen(port) || !IsScreenPixMap(port->pixMap)) return;
  if (!rgn) {
    MarkScreenDirty(nullptr);
    return;
  }
  Rect r;
  GetRegionBounds(rgn, &r);
  Point tl{r.top, r.left}, br{r.bottom, r.right};
  QDLocalToGlobalPoint(port, &tl);
  QDLocalToGlobalPoint(port, &br);
  Rect g{tl.v, tl.h, br.v, br.h};
  MarkScreenDirty(&g);
}

Boolean QDIsPortBuffered(CGrafPtr) { return false; }
OSErr LockPortBits(GrafPtr port) { return PortIsOpen(port) ? noErr : paramErr; }
OSErr UnlockPortBits(GrafPtr port) { return PortIsOpen(port) ? noErr : paramErr; }

RGBColor* GetPortForeColor(CGrafPtr port, RGBColor* color) {
  if (color && PortIsOpen(port)) *color = port->rgbFgColor;
  return color;
}

RGBColor* GetPortBackColor(CGrafPtr port, RGBColor* color) {
  if (color && PortIsOpen(port)) *color = port->rgbBkColor;
  return color;
}

short GetPortTextFont(CGrafPtr port) { return PortIsOpen(port) ? port->txFont : 0; }
Style GetPortTextFace(CGrafPtr port) { return PortIsOpen(port) ? port->txFace : 0; }
short GetPortTextMode(CGrafPtr port) { return PortIsOpen(port) ? port->txMode : 0; }
short GetPortTextSize(CGrafPtr port) { return PortIsOpen(port) ? port->txSize : 0; }

Point* GetPortPenSize(CGrafPtr port, Point* penSize) {
  if (penSize && PortIsOpen(port)) *penSize = port->pnSize;
  return penSize;
}

Point* GetPortPenLocation(CGrafPtr port, Point* penLocation) {
  if (penLocation && PortIsOpen(port)) *penLocation = port->pnLoc;
  return penLocation;
}

SInt32 GetPortPenMode(CGrafPtr port) { return PortIsOpen(port) ? port->pnMode : 0; }
short GetPortPenVisibility(CGrafPtr port) { return PortIsOpen(port) ? port->pnVis : 0; }

void SetPortPenSize(CGrafPtr port, Point penSize) {
  if (PortIsOpen(port)) port->pnSize = Point{std::max<short>(penSize.v, 0), std::max<short>(penSize.h, 0)};
}

void SetPortPenMode(CGrafPtr port, SInt32 penMode) {
  if (PortIsOpen(port)) port->pnMode = SInt16(penMode);
}

void SetPortTextFont(CGrafPtr port, short txFont) {
  if (PortIsOpen(port)) port->txFont = txFont;
}

void SetPortTextSize(CGrafPtr port, short txSize) {
  if (PortIsOpen(port)) port->txSize = txSize;
}

void SetPortTextFace(CGrafPtr port, StyleParameter face) {
  if (PortIsOpen(port)) port->txFace = Style(face);
}

void SetPortTextMode(CGrafPtr port, short mode) {
  if (PortIsOpen(port)) port->txMode = mode;
}

Pattern* GetQDGlobalsBlack(Pattern* pat) { return pat ? (*pat = qd.black, pat) : pat; }
Pattern* GetQDGlobalsWhite(Pattern* pat) { return pat ? (*pat = qd.white, pat) : pat; }
Pattern* GetQDGlobalsGray(Pattern* pat) { return pat ? (*pat = qd.gray, pat) : pat; }
Pattern* GetQDGlobalsLightGray(Pattern* pat) { return pat ? (*pat = qd.ltGray, pat) : pat; }
Pattern* GetQDGlobalsDarkGray(Pattern* pat) { return pat ? (*pat = qd.dkGray, pat) : pat; }
Cursor* GetQDGlobalsArrow(Cursor* arrow) { return arrow ? (*arrow = qd.arrow, arrow) : arrow; }

BitMap* GetQDGlobalsScreenBits(BitMap* screenBits) {
  EnsureScreen();
  if (screenBits) *screenBits = qd.screenBits;
  return screenBits;
}
