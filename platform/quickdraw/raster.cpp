// The pixel arithmetic of the transfer modes, and the loops that paint areas and coverage
// masks into a port's pixel map inside its drawable area.
#include <algorithm>

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/qd_internal.h"

namespace qd_internal {

namespace {

constexpr uint32_t kAlpha = 0xFF000000;
constexpr uint32_t kRGB = 0x00FFFFFF;

inline uint32_t Opaque(uint32_t p) { return (p & kRGB) | kAlpha; }
inline uint32_t InvertRGB(uint32_t p) { return (p ^ kRGB) | kAlpha; }
inline int Chan(uint32_t p, int shift) { return int((p >> shift) & 0xFF); }

template <typename F>
uint32_t PerChannel(uint32_t a, uint32_t b, F f) {
  uint32_t out = kAlpha;
  for (int shift = 0; shift <= 16; shift += 8)
    out |= uint32_t(std::clamp(f(Chan(a, shift), Chan(b, shift), shift), 0, 255)) << shift;
  return out;
}

uint32_t HiliteSwap(uint32_t dst, uint32_t bg, uint32_t hil) {
  if ((dst & kRGB) == (bg & kRGB)) return Opaque(hil);
  if ((dst & kRGB) == (hil & kRGB)) return Opaque(bg);
  return dst;
}

uint32_t Colorize(uint32_t src, uint32_t fg, uint32_t bg) {
  if ((fg & kRGB) == 0 && (bg & kRGB) == kRGB) return Opaque(src);
  return PerChannel(src, 0, [&](int s, int, int shift) {
    int f = Chan(fg, shift), b = Chan(bg, shift);
    int delta = (b - f) * s;
    return f + (delta + (delta >= 0 ? 127 : -127)) / 255;
  });
}

uint32_t Mix(uint32_t a, uint32_t b) {
  return PerChannel(a, b, [](int x, int y, int) { return (x + y + 1) / 2; });
}

}  // namespace

uint32_t BlendPixel(uint32_t dst, uint32_t src, unsigned coverage) {
  if (coverage >= 255) return Opaque(src);
  if (coverage == 0) return dst;
  int c = int(coverage);
  return PerChannel(dst, src, [c](int d, int s, int) { return (d * (255 - c) + s * c + 127) / 255; });
}

uint32_t ApplyColorMode(int mode, uint32_t dst, uint32_t src, uint32_t fg, uint32_t bg,
                        uint32_t hil, uint32_t op, bool colorize) {
  int m = mode & ~ditherCopy;
  switch (m) {
    case srcCopy: case patCopy: return colorize ? Colorize(src, fg, bg) : Opaque(src);
    case srcOr: case patOr: case grayishTextOr: return Opaque(dst & src);
    case srcXor: case patXor: return Opaque(~(dst ^ src));
    case srcBic: case patBic: return Opaque(dst | ~src);
    case notSrcCopy: case notPatCopy: return Opaque(~src);
    case notSrcOr: case notPatOr: return Opaque(dst & ~src);
    case notSrcXor: case notPatXor: return Opaque(dst ^ src);
    case notSrcBic: case notPatBic: return Opaque(dst | src);
    case blend:
      return PerChannel(dst, src, [op](int d, int s, int shift) {
        int w = Chan(op, shift);
        return d + ((s - d) * w + (s >= d ? 127 : -127)) / 255;
      });
    case addPin:
      return PerChannel(dst, src, [op](int d, int s, int shift) { return std::min(d + s, Chan(op, shift)); });
    case addOver: return PerChannel(dst, src, [](int d, int s, int) { return (d + s) & 0xFF; });
    case subPin:
      return PerChannel(dst, src, [op](int d, int s, int shift) { return std::max(d - s, Chan(op, shift)); });
    case transparent: return (src & kRGB) == (bg & kRGB) ? dst : Opaque(src);
    case addMax: return PerChannel(dst, src, [](int d, int s, int) { return std::max(d, s); });
    case subOver: return PerChannel(dst, src, [](int d, int s, int) { return (d - s) & 0xFF; });
    case adMin: return PerChannel(dst, src, [](int d, int s, int) { return std::min(d, s); });
    case hilite: return (src & kRGB) != (bg & kRGB) ? HiliteSwap(dst, bg, hil) : dst;
    default: return Opaque(src);
  }
}

uint32_t ApplyBitMode(int mode, uint32_t dst, bool bit, uint32_t fg, uint32_t bg, uint32_t hil,
                      uint32_t op) {
  int m = mode & ~ditherCopy;
  if (m == hilite) return bit ? HiliteSwap(dst, bg, hil) : dst;
  if (m == grayishTextOr) return bit ? Mix(fg, bg) : dst;
  if (m >= blend && m <= adMin) return ApplyColorMode(m, dst, bit ? fg : bg, fg, bg, hil, op, false);
  if (m > notPatBic) m = srcCopy;
  if (m & 4) bit = !bit;
  switch (m & 3) {
    case 0: return Opaque(bit ? fg : bg);
    case 1: return bit ? Opaque(fg) : dst;
    case 2: return bit ? InvertRGB(dst) : dst;
    default: return bit ? Opaque(bg) : dst;
  }
}

uint32_t HilitePixel() {
  RGBColor c;
  LMGetHiliteRGB(&c);
  return PixelFromRGB(c);
}
uint32_t ForePixel(CGrafPtr port) { return PixelFromRGB(port->rgbFgColor); }
uint32_t BackPixel(CGrafPtr port) { return PixelFromRGB(port->rgbBkColor); }
uint32_t OpPixel(CGrafPtr port) { return PixelFromRGB(port->rgbOpColor); }

void DrawArea(CGrafPtr port, const PixRegion& localArea, const PaintSource& source, int mode) {
  if (!PortIsOpen(port) || !port->pixMap.baseAddr) return;
  const PixMap& pm = port->pixMap;
  PixRegion area(localArea);
  area.Translate(-pm.bounds.left, -pm.bounds.top);
  PixRegion clip;
  PortDrawableArea(port, &clip);
  area.Intersect(clip);
  if (area.Empty()) return;
  uint32_t fg = ForePixel(port), bg = BackPixel(port), hil = HilitePixel(), op = OpPixel(port);

  int ppW = 0, ppH = 0, ppType = 0;
  std::vector<uint32_t> ppPixels;
  Pattern pat = source.pat;
  bool usePixels = false;
  if (source.kind == PaintSource::kPixPat &&
      PixPatSampler(source.pixPat, &ppW, &ppH, &ppPixels, &pat, &ppType) && ppType != 0) {
    usePixels = ppW > 0 && ppH > 0;
  }
  int plainMode = mode & ~ditherCopy;
  bool copyPixels = plainMode == patCopy || plainMode == srcCopy;

  int n = 0;
  const pixman_box32_t* boxes = area.Boxes(&n);
  for (int i = 0; i < n; ++i) {
    const pixman_box32_t& b = boxes[i];
    for (int y = b.y1; y < b.y2; ++y) {
      uint32_t* row = PixelRow(pm, y);
      uint8_t patRow = pat.pat[y & 7];
      const uint32_t* ppRow = usePixels ? &ppPixels[size_t(y % ppH) * ppW] : nullptr;
      for (int x = b.x1; x < b.x2; ++x) {
        if (ppRow) {
          uint32_t src = ppRow[x % ppW];
          row[x] = copyPixels ? Opaque(src) : ApplyColorMode(mode, row[x], src, fg, bg, hil, op, false);
        } else {
          bool bit = (patRow >> (7 - (x & 7))) & 1;
          row[x] = ApplyBitMode(mode, row[x], bit, fg, bg, hil, op);
        }
      }
    }
  }
  Rect bounds = area.Bounds();
  NotePixelsDrawn(pm, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

void DrawCoverage(CGrafPtr port, const PixRegion& pixelClip, int x0, int y0, const uint8_t* cov,
                  int w, int h, int pitch, int mode) {
  if (!PortIsOpen(port) || !port->pixMap.baseAddr || w <= 0 || h <= 0) return;
  const PixMap& pm = port->pixMap;
  PixRegion area(x0, y0, x0 + w, y0 + h);
  area.Intersect(pixelClip);
  if (area.Empty()) return;
  uint32_t fg = ForePixel(port), bg = BackPixel(port), hil = HilitePixel(), op = OpPixel(port);
  int m = mode & ~ditherCopy;
  int n = 0;
  const pixman_box32_t* boxes = area.Boxes(&n);
  for (int i = 0; i < n; ++i) {
    const pixman_box32_t& b = boxes[i];
    for (int y = b.y1; y < b.y2; ++y) {
      uint32_t* row = PixelRow(pm, y);
      const uint8_t* c = cov + size_t(y - y0) * pitch;
      for (int x = b.x1; x < b.x2; ++x) {
        unsigned a = c[x - x0];
        if (a == 0) continue;
        uint32_t d = row[x];
        switch (m) {
          case srcXor: case notSrcXor: case patXor: row[x] = a >= 128 ? InvertRGB(d) : d; break;
          case hilite: row[x] = a >= 128 ? HiliteSwap(d, bg, hil) : d; break;
          case srcBic: case patBic: row[x] = BlendPixel(d, bg, a); break;
          case grayishTextOr: row[x] = BlendPixel(d, Mix(fg, bg), a); break;
          default:
            if (m >= blend && m <= adMin)
              row[x] = BlendPixel(d, ApplyColorMode(m, d, fg, fg, bg, hil, op, false), a);
            else
              row[x] = BlendPixel(d, fg, a);
        }
      }
    }
  }
  Rect bounds = area.Bounds();
  NotePixelsDrawn(pm, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

}  // namespace qd_internal
