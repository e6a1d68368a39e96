#include "platform/quickdraw/regions.h"

#include <algorithm>
#include <map>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/qd_internal.h"

namespace qd_internal {

namespace {

OSErr gQDError = noErr;

constexpr size_t kRgnHeaderSize = 14;
constexpr int kMinCoord = -32768;
constexpr int kMaxCoord = 32767;

int16_t Clamp16(int v) { return int16_t(std::clamp(v, kMinCoord, kMaxCoord)); }

}  // namespace

void SetQDError(OSErr err) { gQDError = err; }

void PixRegion::SetRect(int x1, int y1, int x2, int y2) {
  pixman_region32_fini(&r_);
  pixman_region32_init_rect(&r_, x1, y1, unsigned(std::max(0, x2 - x1)),
                            unsigned(std::max(0, y2 - y1)));
}

void PixRegion::Xor(const PixRegion& o) {
  PixRegion both(*this);
  both.Intersect(o);
  Union(o);
  Subtract(both);
}

void PixRegion::IntersectRect(int x1, int y1, int x2, int y2) {
  PixRegion r(x1, y1, x2, y2);
  Intersect(r);
}

Rect PixRegion::Bounds() const {
  if (Empty()) return Rect{};
  const pixman_box32_t* e = pixman_region32_extents(mut());
  return Rect{Clamp16(e->y1), Clamp16(e->x1), Clamp16(e->y2), Clamp16(e->x2)};
}

void PixRegion::FromBoxes(const std::vector<pixman_box32_t>& boxes) {
  pixman_region32_fini(&r_);
  if (boxes.empty()) {
    pixman_region32_init(&r_);
    return;
  }
  // init_rects validates, so the boxes may overlap and come in any order.
  pixman_region32_init_rects(&r_, boxes.data(), int(boxes.size()));
}

namespace {

// Grows (d > 0) along one axis.
void Dilate(PixRegion* rgn, int dx, int dy) {
  int n = 0;
  const pixman_box32_t* b = rgn->Boxes(&n);
  std::vector<pixman_box32_t> grown(b, b + n);
  for (auto& box : grown) {
    box.x1 -= dx;
    box.x2 += dx;
    box.y1 -= dy;
    box.y2 += dy;
  }
  rgn->FromBoxes(grown);
}

void GrowAxis(PixRegion* rgn, int dx, int dy) {
  if (rgn->Empty() || (dx == 0 && dy == 0)) return;
  if (dx >= 0 && dy >= 0) {
    Dilate(rgn, dx, dy);
    return;
  }
  // Shrinking: grow the complement within a margin and take it away.
  int ax = -dx, ay = -dy;
  const pixman_box32_t* e = pixman_region32_extents(rgn->mut());
  PixRegion outside(e->x1 - ax - 1, e->y1 - ay - 1, e->x2 + ax + 1, e->y2 + ay + 1);
  outside.Subtract(*rgn);
  Dilate(&outside, ax, ay);
  rgn->Subtract(outside);
}

}  // namespace

void GrowRegion(PixRegion* rgn, int dx, int dy) {
  GrowAxis(rgn, dx, 0);
  GrowAxis(rgn, 0, dy);
}

bool LoadRegion(RgnHandle h, PixRegion* out) {
  char* p = HandleData(h);
  if (!p) return false;
  Size size = GetHandleSize(h);
  if (size < Size(kRgnHeaderSize)) {
    out->Clear();
    return true;
  }
  const uint8_t* b = reinterpret_cast<const uint8_t*>(p);
  uint32_t count = ReadU32BE(b + 10);
  if (count > (uint32_t(size) - kRgnHeaderSize) / 8) count = (uint32_t(size) - kRgnHeaderSize) / 8;
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* r = b + kRgnHeaderSize + 8 * i;
    pixman_box32_t box{ReadI16BE(r + 2), ReadI16BE(r), ReadI16BE(r + 6), ReadI16BE(r + 4)};
    if (box.x2 > box.x1 && box.y2 > box.y1) boxes.push_back(box);
  }
  out->FromBoxes(boxes);
  return true;
}

bool StoreRegion(RgnHandle h, const PixRegion& in) {
  if (!HandleData(h)) return false;
  // Clamp to the coordinate range first, so the stored rectangles stay banded.
  PixRegion clamped(in);
  clamped.IntersectRect(kMinCoord, kMinCoord, kMaxCoord, kMaxCoord);
  int n = 0;
  const pixman_box32_t* boxes = clamped.Boxes(&n);
  Size size = Size(kRgnHeaderSize + 8 * size_t(n));
  SetHandleSize(h, size);
  if (MemError() != noErr) return false;
  uint8_t* b = reinterpret_cast<uint8_t*>(HandleData(h));
  Rect bbox = clamped.Bounds();
  WriteU16BE(b, uint16_t(n <= 1 ? 10 : std::min<Size>(size, 0x7FFF)));
  WriteI16BE(b + 2, bbox.top);
  WriteI16BE(b + 4, bbox.left);
  WriteI16BE(b + 6, bbox.bottom);
  WriteI16BE(b + 8, bbox.right);
  WriteU32BE(b + 10, uint32_t(n));
  for (int i = 0; i < n; ++i) {
    uint8_t* r = b + kRgnHeaderSize + 8 * i;
    WriteI16BE(r, int16_t(boxes[i].y1));
    WriteI16BE(r + 2, int16_t(boxes[i].x1));
    WriteI16BE(r + 4, int16_t(boxes[i].y2));
    WriteI16BE(r + 6, int16_t(boxes[i].x2));
  }
  return true;
}

// Each scan line lists the x coordinates where the inside flips, for the rows from its y
// down; a row's set is the running XOR of the lines above it.
bool ParseMacRegion(const uint8_t* data, size_t size, PixRegion* out) {
  out->Clear();
  if (size < 10) return false;
  size_t rgnSize = ReadU16BE(data);
  if (rgnSize < 10 || rgnSize > size) return false;
  Rect bbox{ReadI16BE(data + 2), ReadI16BE(data + 4), ReadI16BE(data + 6), ReadI16BE(data + 8)};
  if (rgnSize == 10) {
    if (bbox.right > bbox.left && bbox.bottom > bbox.top) out->SetRect(bbox.left, bbox.top, bbox.right, bbox.bottom);
    return true;
  }
  std::vector<int> flips;  // sorted x where the current row's inside flips
  std::vector<pixman_box32_t> boxes;
  size_t pos = 10;
  int prevY = 0;
  bool havePrev = false;
  auto emitRows = [&](int y1, int y2) {
    for (size_t i = 0; i + 1 < flips.size(); i += 2)
      boxes.push_back({flips[i], y1, flips[i + 1], y2});
  };
  while (true) {
    if (pos + 2 > rgnSize) return false;
    int y = ReadI16BE(data + pos);
    pos += 2;
    if (y == 0x7FFF) break;
    if (havePrev) {
      if (y < prevY) return false;
      emitRows(prevY, y);
    }
    while (true) {
      if (pos + 2 > rgnSize) return false;
      int x = ReadI16BE(data + pos);
      pos += 2;
      if (x == 0x7FFF) break;
      auto it = std::lower_bound(flips.begin(), flips.end(), x);
      if (it != flips.end() && *it == x)
        flips.erase(it);
      else
        flips.insert(it, x);
      if (flips.size() > 4096) return false;  // no sensible region has more on one row
    }
    prevY = y;
    havePrev = true;
  }
  if (!flips.empty()) return false;
  out->FromBoxes(boxes);
  return true;
}

}  // namespace qd_internal

using namespace qd_internal;

namespace {

// Loads a region for reading; sets paramErr for a bad handle.
bool Read(RgnHandle h, PixRegion* out) {
  if (!LoadRegion(h, out)) {
    SetQDError(paramErr);
    return false;
  }
  return true;
}

void Write(RgnHandle h, const PixRegion& r) {
  if (!StoreRegion(h, r)) {
    SetQDError(HandleData(h) ? memFullErr : paramErr);
    return;
  }
  SetQDError(noErr);
}

template <typename Op>
void Combine(RgnHandle a, RgnHandle b, RgnHandle dst, Op op) {
  PixRegion ra, rb;
  if (!Read(a, &ra) || !Read(b, &rb)) return;
  op(ra, rb);
  Write(dst, ra);
}

}  // namespace

RgnHandle NewRgn() {
  RgnHandle h = NewHandleClear(14);
  if (!h) {
    SetQDError(memFullErr);
    return h;
  }
  WriteU16BE(HandleData(h), 10);
  SetQDError(noErr);
  return h;
}

void DisposeRgn(RgnHandle rgn) {
  if (IsValidHandle(rgn)) DisposeHandle(rgn);
}

void CopyRgn(RgnHandle src, RgnHandle dst) {
  PixRegion r;
  if (Read(src, &r)) Write(dst, r);
}

void SetEmptyRgn(RgnHandle rgn) { Write(rgn, PixRegion()); }

void SetRectRgn(RgnHandle rgn, short left, short top, short right, short bottom) {
  if (right <= left || bottom <= top) {
    Write(rgn, PixRegion());
    return;
  }
  Write(rgn, PixRegion(left, top, right, bottom));
}

void RectRgn(RgnHandle rgn, const Rect* r) {
  if (!r) {
    SetQDError(paramErr);
    return;
  }
  SetRectRgn(rgn, r->left, r->top, r->right, r->bottom);
}

void OffsetRgn(RgnHandle rgn, short dh, short dv) {
  PixRegion r;
  if (!Read(rgn, &r)) return;
  r.Translate(dh, dv);
  Write(rgn, r);
}

void InsetRgn(RgnHandle rgn, short dh, short dv) {
  PixRegion r;
  if (!Read(rgn, &r)) return;
  GrowRegion(&r, -dh, -dv);
  Write(rgn, r);
}

void SectRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
  Combine(a, b, dst, [](PixRegion& x, PixRegion& y) { x.Intersect(y); });
}

void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
  Combine(a, b, dst, [](PixRegion& x, PixRegion& y) { x.Union(y); });
}

void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
  Combine(a, b, dst, [](PixRegion& x, PixRegion& y) { x.Subtract(y); });
}

void XorRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
  Combine(a, b, dst, [](PixRegion& x, PixRegion& y) { x.Xor(y); });
}

Boolean PtInRgn(Point pt, RgnHandle rgn) {
  PixRegion r;
  if (!Read(rgn, &r)) return false;
  return pixman_region32_contains_point(r.get(), pt.h, pt.v, nullptr);
}

Boolean RectInRgn(const Rect* rect, RgnHandle rgn) {
  PixRegion r;
  if (!rect || !Read(rgn, &r)) return false;
  r.IntersectRect(rect->left, rect->top, rect->right, rect->bottom);
  return !r.Empty();
}

Boolean EqualRgn(RgnHandle a, RgnHandle b) {
  PixRegion ra, rb;
  if (!Read(a, &ra) || !Read(b, &rb)) return false;
  if (ra.Empty() && rb.Empty()) return true;
  return pixman_region32_equal(ra.get(), rb.get());
}

Boolean EmptyRgn(RgnHandle rgn) {
  char* p = HandleData(rgn);
  if (!p || GetHandleSize(rgn) < 14) return true;
  return ReadU32BE(p + 10) == 0;
}

RgnHandle GetRegionBounds(RgnHandle rgn, Rect* bounds) {
  char* p = HandleData(rgn);
  if (!bounds) return rgn;
  if (!p || GetHandleSize(rgn) < 10) {
    *bounds = Rect{};
    SetQDError(paramErr);
    return rgn;
  }
  *bounds = Rect{ReadI16BE(p + 2), ReadI16BE(p + 4), ReadI16BE(p + 6), ReadI16BE(p + 8)};
  return rgn;
}

Boolean IsRegionRectangular(RgnHandle rgn) {
  char* p = HandleData(rgn);
  return p && GetHandleSize(rgn) >= 14 && ReadU32BE(p + 10) == 1;
}

void MapRgn(RgnHandle rgn, const Rect* srcRect, const Rect* dstRect) {
  PixRegion r;
  if (!srcRect || !dstRect || !Read(rgn, &r)) return;
  long sw = srcRect->right - srcRect->left, sh = srcRect->bottom - srcRect->top;
  long dw = dstRect->right - dstRect->left, dh = dstRect->bottom - dstRect->top;
  if (sw <= 0 || sh <= 0) return;
  int n = 0;
  const pixman_box32_t* b = r.Boxes(&n);
  std::vector<pixman_box32_t> boxes;
  for (int i = 0; i < n; ++i) {
    pixman_box32_t m{int32_t(dstRect->left + (b[i].x1 - srcRect->left) * dw / sw),
                     int32_t(dstRect->top + (b[i].y1 - srcRect->top) * dh / sh),
                     int32_t(dstRect->left + (b[i].x2 - srcRect->left) * dw / sw),
                     int32_t(dstRect->top + (b[i].y2 - srcRect->top) * dh / sh)};
    if (m.x2 > m.x1 && m.y2 > m.y1) boxes.push_back(m);
  }
  r.FromBoxes(boxes);
  Write(rgn, r);
}

OSErr BitMapToRegion(RgnHandle rgn, const BitMap* bits) {
  if (!bits || !bits->baseAddr || !HandleData(rgn)) return paramErr;
  const Rect& bd = bits->bounds;
  int w = bd.right - bd.left, h = bd.bottom - bd.top;
  if (w <= 0 || h <= 0) {
    Write(rgn, PixRegion());
    return noErr;
  }
  bool deep = (bits->rowBytes & kPixMapFlag) != 0;
  const PixMap* pm = reinterpret_cast<const PixMap*>(bits);
  std::vector<pixman_box32_t> boxes;
  for (int y = 0; y < h; ++y) {
    int runStart = -1;
    for (int x = 0; x <= w; ++x) {
      bool set = false;
      if (x < w) {
        if (deep) {
          set = (PixelRow(*pm, y)[x] & 0xFFFFFF) != 0xFFFFFF;
        } else {
          const uint8_t* row = reinterpret_cast<const uint8_t*>(bits->baseAddr) + y * bits->rowBytes;
          set = (row[x >> 3] >> (7 - (x & 7))) & 1;
        }
      }
      if (set && runStart < 0) runStart = x;
      if (!set && runStart >= 0) {
        boxes.push_back({bd.left + runStart, bd.top + y, bd.left + x, bd.top + y + 1});
        runStart = -1;
      }
    }
  }
  PixRegion r;
  r.FromBoxes(boxes);
  Write(rgn, r);
  return QDError();
}

SInt32 CountRegionRects(RgnHandle rgn) {
  char* p = HandleData(rgn);
  if (!p || GetHandleSize(rgn) < 14) return 0;
  return SInt32(ReadU32BE(p + 10));
}

Boolean GetRegionRect(RgnHandle rgn, SInt32 index, Rect* r) {
  char* p = HandleData(rgn);
  if (!p || !r || index < 0 || index >= CountRegionRects(rgn)) return false;
  if (GetHandleSize(rgn) < Size(14 + 8 * (index + 1))) return false;
  const char* b = p + 14 + 8 * index;
  *r = Rect{ReadI16BE(b), ReadI16BE(b + 2), ReadI16BE(b + 4), ReadI16BE(b + 6)};
  return true;
}

OSErr QDError() { return gQDError; }
