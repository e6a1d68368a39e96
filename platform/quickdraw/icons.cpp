#include "platform/quickdraw/icons.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/bit_images.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/resources/resource_manager.h"

using namespace qd_internal;

namespace {

constexpr OSType kIconMagic = FourCC("cicI");
constexpr OSType kPixPatMagic = FourCC("ppaI");
constexpr size_t kIconHeader = 16;    // magic, width, height, bounds
constexpr size_t kPixPatHeader = 18;  // magic, type, pattern, width, height

// Copies a resource's bytes (the handle may move while we allocate).
std::vector<uint8_t> ResourceBytes(ResType type, short id) {
  Handle h = GetResource(type, id);
  const char* p = HandleData(h);
  if (!p) return {};
  return std::vector<uint8_t>(p, p + GetHandleSize(h));
}

Handle NewBlock(size_t size) {
  Handle h = NewHandleClear(Size(size));
  if (!h) SetQDError(memFullErr);
  return h;
}

// One-bit mask rows (rowBytes each) into a yes/no per pixel.
bool ReadMask(ByteReader& r, int rowBytes, int w, int h, std::vector<uint8_t>* mask) {
  if (rowBytes < (w + 7) / 8) return false;
  mask->assign(size_t(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = r.Take(size_t(rowBytes));
    if (!row) return false;
    for (int x = 0; x < w; ++x) (*mask)[size_t(y) * w + x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
  return true;
}

}  // namespace

CIconHandle DecodeCIcon(const void* data, size_t size) {
  ByteReader r(data, size);
  PixMapHeader pm;
  if (!ReadPixMapHeader(r, true, &pm) || !pm.isPixMap || !ValidPixMapHeader(pm) ||
      pm.pixelSize > 8) {
    SetQDError(paramErr);
    return nullptr;
  }
  PixMapHeader maskMap, iconMap;
  ReadPixMapHeader(r, true, &maskMap);
  ReadPixMapHeader(r, true, &iconMap);
  r.Skip(4);  // iconData
  int w = pm.Width(), h = pm.Height();
  std::vector<uint8_t> mask;
  bool ok = r.ok() && maskMap.Width() == w && maskMap.Height() == h &&
            ReadMask(r, maskMap.rowBytes, w, h, &mask) &&
            r.Skip(size_t(iconMap.rowBytes) * std::max(0, iconMap.Height()));
  std::vector<uint32_t> lookup;
  DecodedImage image;
  ok = ok && ReadColorTable(r, &lookup) && DecodeUnpackedRows(r, pm, lookup, &image);
  if (!ok) {
    SetQDError(paramErr);
    return nullptr;
  }
  Handle icon = NewBlock(kIconHeader + 4 * image.pixels.size());
  if (!icon) return nullptr;
  uint8_t* b = reinterpret_cast<uint8_t*>(HandleData(icon));
  WriteU32BE(b, kIconMagic);
  WriteU16BE(b + 4, uint16_t(w));
  WriteU16BE(b + 6, uint16_t(h));
  WriteI16BE(b + 8, pm.bounds.top);
  WriteI16BE(b + 10, pm.bounds.left);
  WriteI16BE(b + 12, pm.bounds.bottom);
  WriteI16BE(b + 14, pm.bounds.right);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    uint32_t p = mask[i] ? image.pixels[i] : (image.pixels[i] & 0x00FFFFFF);
    WriteU32BE(b + kIconHeader + 4 * i, p);
  }
  SetQDError(noErr);
  return icon;
}

CIconHandle GetCIcon(short iconID) {
  std::vector<uint8_t> bytes = ResourceBytes(FourCC("cicn"), iconID);
  if (bytes.empty()) {
    SetQDError(resNotFound);
    return nullptr;
  }
  return DecodeCIcon(bytes.data(), bytes.size());
}

namespace {

// Width, height and pixels of a decoded icon, checked against the handle's size.
bool IconPixels(CIconHandle icon, int* w, int* h, const uint8_t** pixels) {
  const uint8_t* b = reinterpret_cast<const uint8_t*>(HandleData(icon));
  if (!b || GetHandleSize(icon) < Size(kIconHeader) || ReadU32BE(b) != kIconMagic) return false;
  *w = ReadU16BE(b + 4);
  *h = ReadU16BE(b + 6);
  if (size_t(GetHandleSize(icon)) < kIconHeader + 4 * size_t(*w) * size_t(*h)) return false;
  *pixels = b + kIconHeader;
  return *w > 0 && *h > 0;
}

}  // namespace

void PlotCIcon(const Rect* r, CIconHandle icon) {
  int w = 0, h = 0;
  const uint8_t* pixels = nullptr;
  if (!r || !IconPixels(icon, &w, &h, &pixels)) {
    SetQDError(paramErr);
    return;
  }
  int dw = r->right - r->left, dh = r->bottom - r->top;
  if (dw <= 0 || dh <= 0) return;
  CGrafPtr port = CurrentPort();
  const PixMap& pm = port->pixMap;
  PixRegion area(*r);
  area.Translate(-pm.bounds.left, -pm.bounds.top);
  PixRegion drawable;
  PortDrawableArea(port, &drawable);
  area.Intersect(drawable);
  int n = 0;
  const pixman_box32_t* boxes = area.Boxes(&n);
  int x0 = PixelX(pm, r->left), y0 = PixelY(pm, r->top);
  for (int i = 0; i < n; ++i)
    for (int y = boxes[i].y1; y < boxes[i].y2; ++y)
      for (int x = boxes[i].x1; x < boxes[i].x2; ++x) {
        int sx = (x - x0) * w / dw, sy = (y - y0) * h / dh;
        uint32_t p = ReadU32BE(pixels + 4 * (size_t(sy) * w + sx));
        if (p >> 24) PixelRow(pm, y)[x] = p | 0xFF000000u;
      }
  Rect b = area.Bounds();
  NotePixelsDrawn(pm, b.left, b.top, b.right, b.bottom);
}

void DisposeCIcon(CIconHandle icon) {
  if (IsValidHandle(icon)) DisposeHandle(icon);
}

Boolean GetCIconBounds(CIconHandle icon, Rect* bounds) {
  const uint8_t* b = reinterpret_cast<const uint8_t*>(HandleData(icon));
  if (!bounds || !b || GetHandleSize(icon) < Size(kIconHeader) || ReadU32BE(b) != kIconMagic)
    return false;
  *bounds = Rect{ReadI16BE(b + 8), ReadI16BE(b + 10), ReadI16BE(b + 12), ReadI16BE(b + 14)};
  return true;
}

namespace {

PixPatHandle MakePixPat(int type, const Pattern& pat, int w, int h, const std::vector<uint32_t>& px) {
  Handle pp = NewBlock(kPixPatHeader + 4 * px.size());
  if (!pp) return nullptr;
  uint8_t* b = reinterpret_cast<uint8_t*>(HandleData(pp));
  WriteU32BE(b, kPixPatMagic);
  WriteU16BE(b + 4, uint16_t(type));
  std::memcpy(b + 6, pat.pat, 8);
  WriteU16BE(b + 14, uint16_t(w));
  WriteU16BE(b + 16, uint16_t(h));
  for (size_t i = 0; i < px.size(); ++i) WriteU32BE(b + kPixPatHeader + 4 * i, px[i]);
  SetQDError(noErr);
  return pp;
}

}  // namespace

PixPatHandle DecodePixPat(const void* data, size_t size) {
  ByteReader r(data, size);
  int type = r.U16();
  uint32_t mapOffset = r.U32(), dataOffset = r.U32();
  r.Skip(4 + 2 + 4);  // patXData, patXValid, patXMap
  Pattern pat;
  const uint8_t* bits = r.Take(8);
  if (!bits || type > 2) {
    SetQDError(paramErr);
    return nullptr;
  }
  std::memcpy(pat.pat, bits, 8);
  if (type == 0) return MakePixPat(0, pat, 0, 0, {});
  PixMapHeader pm;
  std::vector<uint32_t> lookup;
  DecodedImage image;
  bool ok = r.Seek(mapOffset) && ReadPixMapHeader(r, true, &pm) && pm.isPixMap &&
            r.Seek(pm.pmTable) && ReadColorTable(r, &lookup);
  if (ok && type == 2) {
    // An RGB pattern: one colour, the table's first entry.
    r.Seek(pm.pmTable + 8);
    r.U16();
    uint16_t red = r.U16(), green = r.U16(), blue = r.U16();
    if (!r.ok()) {
      SetQDError(paramErr);
      return nullptr;
    }
    uint32_t p = 0xFF000000u | (uint32_t(red >> 8) << 16) | (uint32_t(green >> 8) << 8) | (blue >> 8);
    return MakePixPat(2, pat, 1, 1, {p});
  }
  ok = ok && r.Seek(dataOffset) && DecodeUnpackedRows(r, pm, lookup, &image);
  if (!ok) {
    SetQDError(paramErr);
    return nullptr;
  }
  return MakePixPat(1, pat, image.width, image.height, image.pixels);
}

PixPatHandle GetPixPat(short patID) {
  std::vector<uint8_t> bytes = ResourceBytes(FourCC("ppat"), patID);
  if (bytes.empty()) {
    SetQDError(resNotFound);
    return nullptr;
  }
  return DecodePixPat(bytes.data(), bytes.size());
}

PixPatHandle NewPixPatFromRGB(const RGBColor* color) {
  if (!color) return nullptr;
  uint32_t p = 0xFF000000u | (uint32_t(color->red >> 8) << 16) | (uint32_t(color->green >> 8) << 8) |
               (color->blue >> 8);
  return MakePixPat(2, Pattern{}, 1, 1, {p});
}

void DisposePixPat(PixPatHandle pp) {
  if (IsValidHandle(pp)) DisposeHandle(pp);
}

namespace qd_internal {

bool PixPatSampler(PixPatHandle pp, int* width, int* height, std::vector<uint32_t>* pixels,
                   Pattern* pat, int* type) {
  const uint8_t* b = reinterpret_cast<const uint8_t*>(HandleData(pp));
  if (!b || GetHandleSize(pp) < Size(kPixPatHeader) || ReadU32BE(b) != kPixPatMagic) return false;
  *type = ReadU16BE(b + 4);
  std::memcpy(pat->pat, b + 6, 8);
  int w = ReadU16BE(b + 14), h = ReadU16BE(b + 16);
  if (size_t(GetHandleSize(pp)) < kPixPatHeader + 4 * size_t(w) * size_t(h)) return false;
  *width = w;
  *height = h;
  pixels->resize(size_t(w) * h);
  for (size_t i = 0; i < pixels->size(); ++i) (*pixels)[i] = ReadU32BE(b + kPixPatHeader + 4 * i);
  return true;
}

}  // namespace qd_internal

CTabHandle GetCTable(short ctID) {
  std::vector<uint8_t> bytes = ResourceBytes(FourCC("clut"), ctID);
  if (bytes.size() < 8) {
    SetQDError(bytes.empty() ? OSErr(resNotFound) : OSErr(paramErr));
    return nullptr;
  }
  int16_t ctSize = ReadI16BE(bytes.data() + 6);
  if (ctSize < -1 || ctSize > 255 || bytes.size() < 8 + 8 * size_t(ctSize + 1)) {
    SetQDError(paramErr);
    return nullptr;
  }
  Handle ct = NewBlock(bytes.size());
  if (!ct) return nullptr;
  std::memcpy(HandleData(ct), bytes.data(), bytes.size());
  SetQDError(noErr);
  return ct;
}

void DisposeCTable(CTabHandle ct) {
  if (IsValidHandle(ct)) DisposeHandle(ct);
}

short CountCTableEntries(CTabHandle ct) {
  const char* p = HandleData(ct);
  if (!p || GetHandleSize(ct) < 8) return 0;
  int16_t ctSize = ReadI16BE(p + 6);
  if (ctSize < -1 || ctSize > 255 || GetHandleSize(ct) < Size(8 + 8 * (ctSize + 1))) return 0;
  return short(ctSize + 1);
}

Boolean GetCTableEntry(CTabHandle ct, short index, RGBColor* color) {
  if (!color || index < 0 || index >= CountCTableEntries(ct)) return false;
  const char* e = HandleData(ct) + 8 + 8 * index;
  *color = RGBColor{ReadU16BE(e + 2), ReadU16BE(e + 4), ReadU16BE(e + 6)};
  return true;
}
