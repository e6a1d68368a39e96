#include "platform/quickdraw/copy_bits.h"

#include <cstring>
#include <vector>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/regions.h"

using namespace qd_internal;

namespace {

// A read view of a BitMap or PixMap, in the map's own coordinates.
struct BitsView {
  bool deep = false;
  const uint8_t* base = nullptr;
  long rowBytes = 0;
  Rect bounds;
  std::vector<uint8_t> copy;  // a private copy when source and destination share pixels

  bool Open(const BitMap* bits) {
    if (!bits || !bits->baseAddr) return false;
    deep = (bits->rowBytes & kPixMapFlag) != 0;
    base = reinterpret_cast<const uint8_t*>(bits->baseAddr);
    bounds = bits->bounds;
    rowBytes = deep ? reinterpret_cast<const PixMap*>(bits)->rowBytesFull : bits->rowBytes;
    return rowBytes > 0 && bounds.right > bounds.left && bounds.bottom > bounds.top;
  }
  void Detach() {
    copy.assign(base, base + size_t(rowBytes) * (bounds.bottom - bounds.top));
    base = copy.data();
  }
  bool Contains(int h, int v) const {
    return h >= bounds.left && h < bounds.right && v >= bounds.top && v < bounds.bottom;
  }
  // Pixel at map coordinates (inside bounds): one-bit maps give black or white.
  uint32_t Pixel(int h, int v) const {
    int x = h - bounds.left, y = v - bounds.top;
    const uint8_t* row = base + size_t(y) * rowBytes;
    if (deep) {
      uint32_t p;
      std::memcpy(&p, row + 4 * size_t(x), 4);
      return p;
    }
    return ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFF000000u : 0xFFFFFFFFu;
  }
  bool Bit(int h, int v) const {
    int x = h - bounds.left, y = v - bounds.top;
    return (base[size_t(y) * rowBytes + (x >> 3)] >> (7 - (x & 7))) & 1;
  }
};

void PutPixel(const BitMap* dst, const BitsView& view, int h, int v, uint32_t p) {
  int x = h - view.bounds.left, y = v - view.bounds.top;
  uint8_t* row = reinterpret_cast<uint8_t*>(dst->baseAddr) + size_t(y) * view.rowBytes;
  if (view.deep) {
    std::memcpy(row + 4 * size_t(x), &p, 4);
    return;
  }
  int luma = (int((p >> 16) & 0xFF) * 30 + int((p >> 8) & 0xFF) * 59 + int(p & 0xFF) * 11) / 100;
  uint8_t bit = uint8_t(0x80 >> (x & 7));
  if (luma < 128)
    row[x >> 3] |= bit;
  else
    row[x >> 3] &= uint8_t(~bit);
}

int Scale(int d, int dstLo, int dstSpan, int srcLo, int srcSpan) {
  return srcLo + int((long(d) - dstLo) * srcSpan / dstSpan);
}

// The destination area in the destination's coordinates: the rectangle, the map, the mask
// region and, when drawing into the current port's map, the port's drawable area.
bool DestinationArea(const BitMap* dstBits, const BitsView& dst, const Rect& dstRect,
                     RgnHandle maskRgn, PixRegion* area) {
  area->SetRect(dstRect.left, dstRect.top, dstRect.right, dstRect.bottom);
  area->IntersectRect(dst.bounds.left, dst.bounds.top, dst.bounds.right, dst.bounds.bottom);
  if (maskRgn) {
    PixRegion mask;
    if (!LoadRegion(maskRgn, &mask)) return false;
    area->Intersect(mask);
  }
  CGrafPtr port = CurrentPort();
  if (dstBits == reinterpret_cast<const BitMap*>(&port->pixMap) ||
      (dst.deep && dstBits->baseAddr == port->pixMap.baseAddr &&
       dst.bounds == port->pixMap.bounds)) {
    PixRegion drawable;
    PortDrawableArea(port, &drawable);
    drawable.Translate(port->pixMap.bounds.left, port->pixMap.bounds.top);
    area->Intersect(drawable);
  }
  return true;
}

void Transfer(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
              const Rect* srcRect, const Rect* maskRect, const Rect* dstRect, short mode,
              RgnHandle maskRgn) {
  BitsView src, mask, dst;
  if (!srcRect || !dstRect || !src.Open(srcBits) || !dst.Open(dstBits)) {
    SetQDError(paramErr);
    return;
  }
  bool masked = maskBits != nullptr;
  if (masked && (!maskRect || !mask.Open(maskBits))) {
    SetQDError(paramErr);
    return;
  }
  int sw = srcRect->right - srcRect->left, sh = srcRect->bottom - srcRect->top;
  int dw = dstRect->right - dstRect->left, dh = dstRect->bottom - dstRect->top;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  int mw = masked ? maskRect->right - maskRect->left : 1;
  int mh = masked ? maskRect->bottom - maskRect->top : 1;
  if (mw <= 0 || mh <= 0) return;
  PixRegion area;
  if (!DestinationArea(dstBits, dst, *dstRect, maskRgn, &area)) {
    SetQDError(paramErr);
    return;
  }
  if (area.Empty()) return;
  if (src.base == dst.base) src.Detach();

  CGrafPtr port = CurrentPort();
  uint32_t fg = ForePixel(port), bg = BackPixel(port), hil = HilitePixel(), op = OpPixel(port);
  int m = mode & ~ditherCopy;
  if (m >= patCopy && m <= notPatBic) m -= patCopy;
  int n = 0;
  const pixman_box32_t* boxes = area.Boxes(&n);
  for (int i = 0; i < n; ++i) {
    for (int v = boxes[i].y1; v < boxes[i].y2; ++v) {
      int sv = Scale(v, dstRect->top, dh, srcRect->top, sh);
      int mv = masked ? Scale(v, dstRect->top, dh, maskRect->top, mh) : 0;
      for (int h = boxes[i].x1; h < boxes[i].x2; ++h) {
        int sh2 = Scale(h, dstRect->left, dw, srcRect->left, sw);
        if (!src.Contains(sh2, sv)) continue;
        uint32_t d = dst.Pixel(h, v);
        uint32_t out = src.deep
                           ? ApplyColorMode(m, d, src.Pixel(sh2, sv), fg, bg, hil, op, true)
                           : ApplyBitMode(m, d, src.Bit(sh2, sv), fg, bg, hil, op);
        if (masked) {
          int mh2 = Scale(h, dstRect->left, dw, maskRect->left, mw);
          if (!mask.Contains(mh2, mv)) continue;
          if (!mask.deep) {
            if (!mask.Bit(mh2, mv)) continue;
          } else {
            // Black takes the source, white keeps the destination, per channel.
            uint32_t w = mask.Pixel(mh2, mv), blended = 0xFF000000u;
            for (int shift = 0; shift <= 16; shift += 8) {
              unsigned keep = (w >> shift) & 0xFF;
              unsigned dc = (d >> shift) & 0xFF, oc = (out >> shift) & 0xFF;
              blended |= ((dc * keep + oc * (255 - keep) + 127) / 255) << shift;
            }
            out = blended;
          }
        }
        PutPixel(dstBits, dst, h, v, out);
      }
    }
  }
  if (dst.deep) {
    Rect b = area.Bounds();
    const PixMap* pm = reinterpret_cast<const PixMap*>(dstBits);
    NotePixelsDrawn(*pm, b.left - dst.bounds.left, b.top - dst.bounds.top,
                    b.right - dst.bounds.left, b.bottom - dst.bounds.top);
  }
  SetQDError(noErr);
}

}  // namespace

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* dstRect, short mode, RgnHandle maskRgn) {
  Transfer(srcBits, nullptr, dstBits, srcRect, nullptr, dstRect, mode, maskRgn);
}

void CopyMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
              const Rect* srcRect, const Rect* maskRect, const Rect* dstRect) {
  Transfer(srcBits, maskBits, dstBits, srcRect, maskRect, dstRect, srcCopy, nullptr);
}

void CopyDeepMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
                  const Rect* srcRect, const Rect* maskRect, const Rect* dstRect, short mode,
                  RgnHandle maskRgn) {
  Transfer(srcBits, maskBits, dstBits, srcRect, maskRect, dstRect, mode, maskRgn);
}

void ScrollRect(const Rect* r, short dh, short dv, RgnHandle updateRgn) {
  if (updateRgn) SetEmptyRgn(updateRgn);
  if (!r) return;
  CGrafPtr port = CurrentPort();
  const PixMap& pm = port->pixMap;
  // The scrolled area in pixel coordinates.
  PixRegion area;
  PortDrawableArea(port, &area);
  area.IntersectRect(PixelX(pm, r->left), PixelY(pm, r->top), PixelX(pm, r->right), PixelY(pm, r->bottom));
  if (area.Empty()) return;
  PixRegion moved(area);
  moved.Translate(dh, dv);
  moved.Intersect(area);
  // Copy through a snapshot of the area so overlapping rows read old pixels.
  Rect b = area.Bounds();
  int bw = b.right - b.left;
  std::vector<uint32_t> snapshot(size_t(bw) * (b.bottom - b.top));
  for (int y = b.top; y < b.bottom; ++y)
    std::memcpy(&snapshot[size_t(y - b.top) * bw], PixelRow(pm, y) + b.left, size_t(bw) * 4);
  int n = 0;
  const pixman_box32_t* boxes = moved.Boxes(&n);
  for (int i = 0; i < n; ++i)
    for (int y = boxes[i].y1; y < boxes[i].y2; ++y)
      for (int x = boxes[i].x1; x < boxes[i].x2; ++x)
        PixelRow(pm, y)[x] = snapshot[size_t(y - dv - b.top) * bw + (x - dh - b.left)];
  PixRegion uncovered(area);
  uncovered.Subtract(moved);
  uncovered.Translate(pm.bounds.left, pm.bounds.top);
  PaintSource bk;
  bk.pat = port->bkPat;
  if (port->bkPixPat) {
    bk.kind = PaintSource::kPixPat;
    bk.pixPat = port->bkPixPat;
  }
  DrawArea(port, uncovered, bk, patCopy);
  NotePixelsDrawn(pm, b.left, b.top, b.right, b.bottom);
  if (updateRgn) StoreRegion(updateRgn, uncovered);
}
