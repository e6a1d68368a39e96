#include "platform/quickdraw/geometry.h"

#include <algorithm>
#include <cmath>

namespace {

short Clamp16(long v) { return short(std::clamp<long>(v, -32768, 32767)); }

}  // namespace

void SetRect(Rect* r, short left, short top, short right, short bottom) {
  if (!r) return;
  r->left = left;
  r->top = top;
  r->right = right;
  r->bottom = bottom;
}

void OffsetRect(Rect* r, short dh, short dv) {
  if (!r) return;
  r->left = Clamp16(long(r->left) + dh);
  r->right = Clamp16(long(r->right) + dh);
  r->top = Clamp16(long(r->top) + dv);
  r->bottom = Clamp16(long(r->bottom) + dv);
}

void InsetRect(Rect* r, short dh, short dv) {
  if (!r) return;
  r->left = Clamp16(long(r->left) + dh);
  r->right = Clamp16(long(r->right) - dh);
  r->top = Clamp16(long(r->top) + dv);
  r->bottom = Clamp16(long(r->bottom) - dv);
  if (r->right <= r->left || r->bottom <= r->top) *r = Rect{};
}

Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dst) {
  if (!src1 || !src2 || !dst) return false;
  Rect r{std::max(src1->top, src2->top), std::max(src1->left, src2->left),
         std::min(src1->bottom, src2->bottom), std::min(src1->right, src2->right)};
  if (r.right <= r.left || r.bottom <= r.top) {
    *dst = Rect{};
    return false;
  }
  *dst = r;
  return true;
}

void UnionRect(const Rect* src1, const Rect* src2, Rect* dst) {
  if (!src1 || !src2 || !dst) return;
  Rect r{std::min(src1->top, src2->top), std::min(src1->left, src2->left),
         std::max(src1->bottom, src2->bottom), std::max(src1->right, src2->right)};
  *dst = r;
}

Boolean PtInRect(Point pt, const Rect* r) {
  return r && pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

Boolean EqualRect(const Rect* a, const Rect* b) { return a && b && *a == *b; }

Boolean EmptyRect(const Rect* r) { return !r || r->right <= r->left || r->bottom <= r->top; }

void Pt2Rect(Point a, Point b, Rect* dst) {
  if (!dst) return;
  dst->left = std::min(a.h, b.h);
  dst->right = std::max(a.h, b.h);
  dst->top = std::min(a.v, b.v);
  dst->bottom = std::max(a.v, b.v);
}

void SetPt(Point* pt, short h, short v) {
  if (!pt) return;
  pt->h = h;
  pt->v = v;
}

void AddPt(Point src, Point* dst) {
  if (!dst) return;
  dst->h = Clamp16(long(dst->h) + src.h);
  dst->v = Clamp16(long(dst->v) + src.v);
}

void SubPt(Point src, Point* dst) {
  if (!dst) return;
  dst->h = Clamp16(long(dst->h) - src.h);
  dst->v = Clamp16(long(dst->v) - src.v);
}

Boolean EqualPt(Point a, Point b) { return a == b; }

void PtToAngle(const Rect* r, Point pt, short* angle) {
  if (!r || !angle) return;
  double w = std::max(1, r->right - r->left), h = std::max(1, r->bottom - r->top);
  double dx = (pt.h - (r->left + r->right) / 2.0) / w;
  double dy = (pt.v - (r->top + r->bottom) / 2.0) / h;
  double deg = std::atan2(dx, -dy) * 180.0 / M_PI;
  if (deg < 0) deg += 360.0;
  *angle = short(std::lround(deg) % 360);
}

namespace {

short MapCoord(short c, short srcLo, short srcHi, short dstLo, short dstHi) {
  long sw = long(srcHi) - srcLo, dw = long(dstHi) - dstLo;
  if (sw == 0) return Clamp16(long(c) - srcLo + dstLo);
  return Clamp16(dstLo + (long(c) - srcLo) * dw / sw);
}

}  // namespace

void MapPt(Point* pt, const Rect* srcRect, const Rect* dstRect) {
  if (!pt || !srcRect || !dstRect) return;
  pt->h = MapCoord(pt->h, srcRect->left, srcRect->right, dstRect->left, dstRect->right);
  pt->v = MapCoord(pt->v, srcRect->top, srcRect->bottom, dstRect->top, dstRect->bottom);
}

void MapRect(Rect* r, const Rect* srcRect, const Rect* dstRect) {
  if (!r || !srcRect || !dstRect) return;
  Point tl{r->top, r->left}, br{r->bottom, r->right};
  MapPt(&tl, srcRect, dstRect);
  MapPt(&br, srcRect, dstRect);
  *r = Rect{tl.v, tl.h, br.v, br.h};
}
