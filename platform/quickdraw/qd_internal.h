// Shared inner workings of the drawing layer (not for callers outside platform/quickdraw).
#pragma once

#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/quickdraw/quickdraw_types.h"

namespace qd_internal {

// A pixman region with automatic lifetime.
class PixRegion {
 public:
  PixRegion() { pixman_region32_init(&r_); }
  explicit PixRegion(const Rect& r) {
    pixman_region32_init_rect(&r_, r.left, r.top, std::max(0, r.right - r.left),
                              std::max(0, r.bottom - r.top));
  }
  PixRegion(int x1, int y1, int x2, int y2) {
    pixman_region32_init_rect(&r_, x1, y1, unsigned(std::max(0, x2 - x1)),
                              unsigned(std::max(0, y2 - y1)));
  }
  PixRegion(const PixRegion& o) {
    pixman_region32_init(&r_);
    pixman_region32_copy(&r_, const_cast<pixman_region32_t*>(&o.r_));
  }
  PixRegion& operator=(const PixRegion& o) {
    if (this != &o) pixman_region32_copy(&r_, const_cast<pixman_region32_t*>(&o.r_));
    return *this;
  }
  ~PixRegion() { pixman_region32_fini(&r_); }
  pixman_region32_t* get() { return &r_; }
  const pixman_region32_t* get() const { return &r_; }
  pixman_region32_t* mut() const { return const_cast<pixman_region32_t*>(&r_); }

  bool Empty() const { return !pixman_region32_not_empty(mut()); }
  void Clear() { pixman_region32_clear(&r_); }
  void SetRect(int x1, int y1, int x2, int y2);
  void Intersect(const PixRegion& o) { pixman_region32_intersect(&r_, &r_, o.mut()); }
  void Union(const PixRegion& o) { pixman_region32_union(&r_, &r_, o.mut()); }
  void Subtract(const PixRegion& o) { pixman_region32_subtract(&r_, &r_, o.mut()); }
  void Xor(const PixRegion& o);
  void Translate(int dx, int dy) { pixman_region32_translate(&r_, dx, dy); }
  void IntersectRect(int x1, int y1, int x2, int y2);
  // The rectangles, banded.
  const pixman_box32_t* Boxes(int* count) const {
    return pixman_region32_rectangles(mut(), count);
  }
  Rect Bounds() const;
  // Builds the region from boxes that may overlap.
  void FromBoxes(const std::vector<pixman_box32_t>& boxes);

 private:
  pixman_region32_t r_;
};

// Grows (d > 0) or shrinks (d < 0) a region by dx horizontally and dy vertically.
void GrowRegion(PixRegion* rgn, int dx, int dy);

// Region handles.
bool LoadRegion(RgnHandle h, PixRegion* out);
bool StoreRegion(RgnHandle h, const PixRegion& in);
// The region encoding of pictures (rgnSize, rgnBBox, then scan lines of inversion points
// ending in 0x7FFF). False when malformed.
bool ParseMacRegion(const uint8_t* data, size_t size, PixRegion* out);

void SetQDError(OSErr err);

// Ports.
bool PortIsOpen(CGrafPtr port);
// The current port, or the screen's when none is valid.
CGrafPtr CurrentPort();
// Where the port may draw, in pixel coordinates of its pixel map: portRect, visible and clip
// regions, moved to pixels and cut to the map.
void PortDrawableArea(CGrafPtr port, PixRegion* out);
// Bounds of the drawable area in the port's local coordinates.
Rect PortDrawableBounds(CGrafPtr port);
// Pixel offset of local coordinates: pixel = local - origin.
inline int PixelX(const PixMap& pm, int h) { return h - pm.bounds.left; }
inline int PixelY(const PixMap& pm, int v) { return v - pm.bounds.top; }

// Shapes, in local coordinates.
// With a limit, only the rows inside it are built (what is drawn; a region being recorded
// needs the whole shape).
void OvalArea(const Rect& r, PixRegion* out, const Rect* limit = nullptr);
void RoundRectArea(const Rect& r, int ovalWidth, int ovalHeight, PixRegion* out, const Rect* limit = nullptr);
// Pixels covered by the pen (width x height) dragged along the line from a to b.
void LineArea(Point a, Point b, Point pen, PixRegion* out, const Rect* limit = nullptr);
// Even-odd fill of a closed polygon (the last point joins the first).
// Shapes take an optional limit (local coordinates): rows and columns outside it are left
// out, so that huge shapes cost only what can be seen.
void PolygonArea(const std::vector<Point>& points, PixRegion* out, const Rect* limit = nullptr);
// Even-odd fill of a set of edges (pixel centres inside an odd number of crossings).
struct Edge {
  Point a, b;
};
void EdgesArea(const std::vector<Edge>& edges, PixRegion* out, const Rect* limit = nullptr);
// Every pixel of the rectangle whose angle from the centre lies in the arc.
void ArcSectorArea(const Rect& r, int startAngle, int arcAngle, PixRegion* out,
                   const Rect* limit = nullptr);
// Outline of the pen's size inside the area.
void FrameArea(const PixRegion& area, Point pen, PixRegion* out);

// Region and polygon recording in a port.
bool IsRecordingRegion(CGrafPtr port);
void RecordRegionArea(CGrafPtr port, const PixRegion& area);
void RecordRegionLine(CGrafPtr port, Point a, Point b);
bool IsRecordingPoly(CGrafPtr port);
void RecordPolyLine(CGrafPtr port, Point a, Point b);

// What an area is drawn with.
struct PaintSource {
  enum Kind { kPattern, kPixPat } kind = kPattern;
  Pattern pat;
  PixPatHandle pixPat;
};

// Pixel arithmetic.
uint32_t ApplyBitMode(int mode, uint32_t dst, bool bit, uint32_t fg, uint32_t bg,
                      uint32_t hiliteColor, uint32_t op);
uint32_t ApplyColorMode(int mode, uint32_t dst, uint32_t src, uint32_t fg, uint32_t bg,
                        uint32_t hiliteColor, uint32_t op, bool colorize);
uint32_t BlendPixel(uint32_t dst, uint32_t src, unsigned coverage);
uint32_t HilitePixel();
uint32_t ForePixel(CGrafPtr port);
uint32_t BackPixel(CGrafPtr port);
uint32_t OpPixel(CGrafPtr port);

// Draws an area (local coordinates) of the port with a source and a mode, inside the
// port's drawable area.
void DrawArea(CGrafPtr port, const PixRegion& localArea, const PaintSource& source, int mode);
// Draws a coverage mask (0..255 per pixel, rows of pitch bytes) with its top left corner
// at pixel (x0, y0) of the port's map, in the foreground colour and a text mode, inside
// pixelClip (pixel coordinates).
void DrawCoverage(CGrafPtr port, const PixRegion& pixelClip, int x0, int y0, const uint8_t* cov,
                  int w, int h, int pitch, int mode);
// Tells the screen which pixels of a map changed (does nothing for other maps).
void NotePixelsDrawn(const PixMap& pm, int x1, int y1, int x2, int y2);

// Pixel access on a PixMap (host-order words).
inline uint32_t* PixelRow(const PixMap& pm, int y) {
  return reinterpret_cast<uint32_t*>(pm.baseAddr + ptrdiff_t(y) * pm.rowBytesFull);
}
inline int PixMapWidth(const PixMap& pm) { return pm.bounds.right - pm.bounds.left; }
inline int PixMapHeight(const PixMap& pm) { return pm.bounds.bottom - pm.bounds.top; }

// Pixel patterns (icons.cpp): pixel at pixel coordinates, with a classic pattern's bits
// coloured by fg/bg for type 0.
bool PixPatSampler(PixPatHandle pp, int* width, int* height, std::vector<uint32_t>* pixels,
                   Pattern* pat, int* type);

// Host-side screen hooks (screen.cpp).
bool IsScreenPixMap(const PixMap& pm);
void EnsureScreen();
PixMap* ScreenPixMap();
void HostShowCursor(const Cursor* cursor, bool visible);

// Text (text.cpp): releases cached fonts (ShutdownScreen).
void ReleaseFonts();

}  // namespace qd_internal
