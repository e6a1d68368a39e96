#include "platform/quickdraw/gworlds.h"

#include <algorithm>

#include "platform/memory/memory.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/system/quickdraw_random.h"

using namespace qd_internal;

namespace {

constexpr int kMaxGWorldSide = 16384;

bool DepthAllowed(short depth) {
  switch (depth) {
    case 0: case 1: case 2: case 4: case 8: case 16: case 32: return true;
    default: return false;
  }
}

bool SizeAllowed(const Rect* r) {
  if (!r) return false;
  int w = r->right - r->left, h = r->bottom - r->top;
  return w > 0 && h > 0 && w <= kMaxGWorldSide && h <= kMaxGWorldSide;
}

// White pixels for a map of the rectangle's size, or null.
Ptr NewWhitePixels(const Rect& r) {
  size_t count = size_t(r.right - r.left) * size_t(r.bottom - r.top);
  Ptr p = NewPtr(Size(count * 4));
  if (!p) return nullptr;
  std::fill_n(reinterpret_cast<uint32_t*>(p), count, 0xFFFFFFFFu);
  return p;
}

void AttachPixels(GWorldPtr gw, Ptr pixels, const Rect& bounds) {
  PixMap& pm = gw->pixMap;
  pm.baseAddr = pixels;
  pm.rowBytesFull = (bounds.right - bounds.left) * 4;
  pm.rowBytes = SInt16(kPixMapFlag | std::min(pm.rowBytesFull, 0x3FFF));
  pm.bounds = bounds;
  gw->ownedPixels = pixels;
  gw->portRect = bounds;
  RectRgn(gw->visRgn, &bounds);
}

bool IsGWorld(GWorldPtr gw) { return PortIsOpen(gw) && gw->portKind == kPortKindGWorld; }

}  // namespace

QDErr NewGWorld(GWorldPtr* offscreenGWorld, short pixelDepth, const Rect* boundsRect, CTabHandle,
                GDHandle, GWorldFlags) {
  if (!offscreenGWorld) return paramErr;
  *offscreenGWorld = nullptr;
  if (!DepthAllowed(pixelDepth) || !SizeAllowed(boundsRect)) return paramErr;
  Ptr pixels = NewWhitePixels(*boundsRect);
  if (!pixels) return memFullErr;
  auto* gw = new CGrafPort;
  GrafPtr saved = qd.thePort;
  OpenCPort(gw);
  qd.thePort = saved;
  gw->portKind = kPortKindGWorld;
  AttachPixels(gw, pixels, *boundsRect);
  *offscreenGWorld = gw;
  return noErr;
}

void DisposeGWorld(GWorldPtr gw) {
  if (!IsGWorld(gw)) return;
  Ptr pixels = gw->ownedPixels;
  CloseCPort(gw);
  if (pixels) DisposePtr(pixels);
  delete gw;
}

GWorldFlags UpdateGWorld(GWorldPtr* offscreenGWorld, short pixelDepth, const Rect* boundsRect,
                         CTabHandle, GDHandle, GWorldFlags flags) {
  if (!offscreenGWorld || !IsGWorld(*offscreenGWorld) || !DepthAllowed(pixelDepth) ||
      !SizeAllowed(boundsRect))
    return gwFlagErr;
  GWorldPtr gw = *offscreenGWorld;
  const PixMap old = gw->pixMap;
  Rect oldBounds = old.bounds;
  if (oldBounds == *boundsRect) return 0;
  Ptr pixels = NewWhitePixels(*boundsRect);
  if (!pixels) return gwFlagErr;
  const Rect& nb = *boundsRect;
  int nw = nb.right - nb.left, nh = nb.bottom - nb.top;
  int ow = oldBounds.right - oldBounds.left, oh = oldBounds.bottom - oldBounds.top;
  auto* dst = reinterpret_cast<uint32_t*>(pixels);
  if (flags & stretchPix) {
    for (int y = 0; y < nh; ++y)
      for (int x = 0; x < nw; ++x)
        dst[size_t(y) * nw + x] = PixelRow(old, y * oh / nh)[x * ow / nw];
  } else if (flags & clipPix) {
    int w = std::min(nw, ow), h = std::min(nh, oh);
    for (int y = 0; y < h; ++y) std::copy_n(PixelRow(old, y), w, dst + size_t(y) * nw);
  }
  Ptr oldPixels = gw->ownedPixels;
  AttachPixels(gw, pixels, nb);
  DisposePtr(oldPixels);
  return reallocPix;
}

void GetGWorld(CGrafPtr* port, GDHandle* gdh) {
  if (port) *port = CurrentPort();
  if (gdh) *gdh = GetGDevice();
}

void SetGWorld(CGrafPtr port, GDHandle gdh) {
  SetPort(port);
  if (gdh) SetGDevice(gdh);
}

PixMapHandle GetGWorldPixMap(GWorldPtr gw) { return PortIsOpen(gw) ? &gw->pixMapPtr : nullptr; }
GDHandle GetGWorldDevice(GWorldPtr gw) { return PortIsOpen(gw) ? gw->device : nullptr; }

Boolean LockPixels(PixMapHandle pm) {
  if (!pm || !*pm) return false;
  ++(*pm)->lockCount;
  return true;
}

void UnlockPixels(PixMapHandle pm) {
  if (pm && *pm && (*pm)->lockCount > 0) --(*pm)->lockCount;
}

GWorldFlags GetPixelsState(PixMapHandle pm) {
  return pm && *pm && (*pm)->lockCount > 0 ? GWorldFlags(pixelsLocked) : GWorldFlags(0);
}

void SetPixelsState(PixMapHandle pm, GWorldFlags state) {
  if (pm && *pm) (*pm)->lockCount = (state & pixelsLocked) ? std::max(1, (*pm)->lockCount) : 0;
}

Ptr GetPixBaseAddr(PixMapHandle pm) { return pm && *pm ? (*pm)->baseAddr : nullptr; }
SInt32 GetPixRowBytes(PixMapHandle pm) { return pm && *pm ? (*pm)->rowBytesFull : 0; }

Rect* GetPixBounds(PixMapHandle pm, Rect* bounds) {
  if (bounds) *bounds = pm && *pm ? (*pm)->bounds : Rect{};
  return bounds;
}

short GetPixDepth(PixMapHandle pm) { return pm && *pm ? (*pm)->pixelSize : 0; }
