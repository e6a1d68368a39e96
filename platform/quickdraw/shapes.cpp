// The pixel areas of the shapes: round rectangles and ovals, arc sectors, pen lines and
// even-odd polygons, all as regions in local coordinates.
#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdlib>

#include "platform/quickdraw/qd_internal.h"

namespace qd_internal {

namespace {

// How far a row of an ovalWidth x ovalHeight ellipse lies in from its left edge.
int OvalInset(int ow, int oh, int row) {
  double ry = oh / 2.0, rx = ow / 2.0;
  double dy = (row + 0.5 - ry) / ry;
  if (dy <= -1.0 || dy >= 1.0) return (ow + 1) / 2;
  return int(std::lround(rx - rx * std::sqrt(1.0 - dy * dy)));
}

// Whether the pen's path from a to b comes inside limit at all (its bounding box does).
bool PenLineMeetsLimit(Point a, Point b, int pw, int ph, const Rect& limit) {
  int top = std::min(a.v, b.v), bottom = std::max(a.v, b.v) + ph;
  int left = std::min(a.h, b.h), right = std::max(a.h, b.h) + pw;
  return top < limit.bottom && bottom > limit.top && left < limit.right && right > limit.left;
}

}  // namespace

void RoundRectArea(const Rect& r, int ovalWidth, int ovalHeight, PixRegion* out, const Rect* limit) {
  int w = r.right - r.left, h = r.bottom - r.top;
  out->Clear();
  if (w <= 0 || h <= 0) return;
  int ow = std::min(ovalWidth, w), oh = std::min(ovalHeight, h);
  if (ow <= 1 || oh <= 1) {
    out->SetRect(r.left, r.top, r.right, r.bottom);
    return;
  }
  int top = r.top, bottom = r.bottom;
  if (limit) {
    top = std::max(top, int(limit->top));
    bottom = std::min(bottom, int(limit->bottom));
  }
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(size_t(std::max(bottom - top, 0)));
  for (int y = top; y < bottom; ++y) {
    int k = std::min(y - r.top, r.bottom - 1 - y);
    int inset = k < (oh + 1) / 2 ? OvalInset(ow, oh, k) : 0;
    int x1 = r.left + inset, x2 = r.right - inset;
    if (x2 > x1) boxes.push_back({x1, y, x2, y + 1});
  }
  out->FromBoxes(boxes);
}

void OvalArea(const Rect& r, PixRegion* out, const Rect* limit) {
  RoundRectArea(r, r.right - r.left, r.bottom - r.top, out, limit);
}

void ArcSectorArea(const Rect& r, int startAngle, int arcAngle, PixRegion* out,
                   const Rect* limit) {
  out->Clear();
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0 || arcAngle == 0) return;
  if (arcAngle >= 360 || arcAngle <= -360) {
    out->SetRect(r.left, r.top, r.right, r.bottom);
    return;
  }
  if (arcAngle < 0) {
    startAngle += arcAngle;
    arcAngle = -arcAngle;
  }
  double start = std::fmod(double(startAngle), 360.0);
  if (start < 0) start += 360.0;
  double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  int top = r.top, bottom = r.bottom, left = r.left, right = r.right;
  if (limit) {
    top = std::max(top, int(limit->top));
    bottom = std::min(bottom, int(limit->bottom));
    left = std::max(left, int(limit->left));
    right = std::min(right, int(limit->right));
  }
  std::vector<pixman_box32_t> boxes;
  for (int y = top; y < bottom; ++y) {
    double dy = (y + 0.5 - cy) / h;
    int runStart = -1;
    for (int x = left; x <= right; ++x) {
      bool in = false;
      if (x < right) {
        double dx = (x + 0.5 - cx) / w;
        double a = std::atan2(dx, -dy) * 180.0 / M_PI;
        double rel = std::fmod(a - start + 720.0, 360.0);
        in = rel < arcAngle;
      }
      if (in && runStart < 0) runStart = x;
      if (!in && runStart >= 0) {
        boxes.push_back({runStart, y, x, y + 1});
        runStart = -1;
      }
    }
  }
  out->FromBoxes(boxes);
}

void LineArea(Point a, Point b, Point pen, PixRegion* out, const Rect* limit) {
  out->Clear();
  int pw = pen.h, ph = pen.v;
  if (pw <= 0 || ph <= 0) return;
  if (limit && !PenLineMeetsLimit(a, b, pw, ph, *limit)) return;
  // The span of the one-pixel line on each of its rows (Bresenham).
  int y0 = std::min(a.v, b.v), y1 = std::max(a.v, b.v);
  std::vector<std::pair<int, int>> spans(size_t(y1 - y0 + 1), {INT32_MAX, INT32_MIN});
  int x = a.h, y = a.v, xe = b.h, ye = b.v;
  int dx = std::abs(xe - x), dy = -std::abs(ye - y);
  int sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
  int err = dx + dy;
  while (true) {
    auto& s = spans[size_t(y - y0)];
    s = {std::min(s.first, x), std::max(s.second, x)};
    if (x == xe && y == ye) break;
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  // The pen covers rows y .. y + ph - 1 of each point. A line's spans move one way only,
  // so the union over a window of rows is set by the window's two end rows.
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(spans.size() + size_t(ph));
  int firstRow = y0, endRow = y1 + ph;
  if (limit) {
    firstRow = std::max(firstRow, int(limit->top));
    endRow = std::min(endRow, int(limit->bottom));
  }
  for (int row = firstRow; row < endRow; ++row) {
    int lo = std::max(y0, row - ph + 1), hi = std::min(y1, row);
    const auto& first = spans[size_t(lo - y0)];
    const auto& last = spans[size_t(hi - y0)];
    int left = std::min(first.first, last.first), right = std::max(first.second, last.second);
    boxes.push_back({left, row, right + pw, row + 1});
  }
  out->FromBoxes(boxes);
}

void EdgesArea(const std::vector<Edge>& edges, PixRegion* out, const Rect* limit) {
  out->Clear();
  if (edges.empty()) return;
  int minY = 32767, maxY = -32768;
  for (const Edge& e : edges) {
    minY = std::min({minY, int(e.a.v), int(e.b.v)});
    maxY = std::max({maxY, int(e.a.v), int(e.b.v)});
  }
  if (limit) {
    minY = std::max(minY, int(limit->top));
    maxY = std::min(maxY, int(limit->bottom));
  }
  std::vector<pixman_box32_t> boxes;
  std::vector<double> xs;
  for (int y = minY; y < maxY; ++y) {
    double yc = y + 0.5;
    xs.clear();
    for (const Edge& e : edges) {
      double ya = e.a.v, yb = e.b.v;
      if ((ya <= yc && yc < yb) || (yb <= yc && yc < ya))
        xs.push_back(e.a.h + (yc - ya) * (e.b.h - e.a.h) / (yb - ya));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      int x1 = int(std::ceil(xs[i] - 0.5)), x2 = int(std::ceil(xs[i + 1] - 0.5));
      if (x2 > x1) boxes.push_back({x1, y, x2, y + 1});
    }
  }
  // Overlapping spans of one row cannot occur after pairing, so the boxes are disjoint.
  out->FromBoxes(boxes);
}

void PolygonArea(const std::vector<Point>& points, PixRegion* out, const Rect* limit) {
  std::vector<Edge> edges;
  for (size_t i = 0; i < points.size(); ++i)
    edges.push_back({points[i], points[(i + 1) % points.size()]});
  EdgesArea(edges, out, limit);
}

void FrameArea(const PixRegion& area, Point pen, PixRegion* out) {
  *out = area;
  if (pen.h <= 0 || pen.v <= 0) {
    out->Clear();
    return;
  }
  PixRegion inner(area);
  GrowRegion(&inner, -pen.h, -pen.v);
  out->Subtract(inner);
}

}  // namespace qd_internal
