#include "editors/timeline/polar_points.h"

#include <cmath>
#include <numbers>

namespace {

double Radians(int32_t degrees) { return double(degrees) * std::numbers::pi / 180.0; }

}  // namespace

int32_t PolarSin(int32_t degrees, int32_t radius) { return int32_t(std::trunc(radius * std::sin(Radians(degrees)))); }

int32_t PolarCos(int32_t degrees, int32_t radius) { return PolarSin(degrees + 90, radius); }

Point PolarToPoint(int32_t degrees, int32_t radius) {
  Point p;
  p.h = int16_t(PolarCos(degrees, radius));
  p.v = int16_t(PolarSin(degrees, radius));
  return p;
}

int16_t WalkQuarterArc(int16_t cx, int16_t cy, int16_t rx, int16_t ry, int32_t start, ArcPointProc proc) {
  int16_t firstX = 0;
  for (int32_t a = start; a <= start + 90; ++a) {
    int16_t x = int16_t(cx + std::trunc(rx * std::cos(Radians(a))));
    int16_t y = int16_t(cy + std::trunc(ry * std::sin(Radians(a))));
    if (a == start) firstX = x;
    if (proc) proc(x, y, a == start);
  }
  return firstX;
}
