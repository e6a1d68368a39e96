#include "platform/quickdraw/bit_images.h"

#include <cstring>

#include "platform/memory/byte_order.h"

namespace qd_internal {

bool ByteReader::Seek(size_t pos) {
  if (!ok_ || pos > size_) return ok_ = false;
  pos_ = pos;
  return true;
}

bool ByteReader::Skip(size_t n) {
  if (!ok_ || n > size_ - pos_) return ok_ = false;
  pos_ += n;
  return true;
}

const uint8_t* ByteReader::Take(size_t n) {
  if (!ok_ || n > size_ - pos_) {
    ok_ = false;
    return nullptr;
  }
  const uint8_t* at = p_ + pos_;
  pos_ += n;
  return at;
}

uint8_t ByteReader::U8() {
  const uint8_t* b = Take(1);
  return b ? b[0] : 0;
}

uint16_t ByteReader::U16() {
  const uint8_t* b = Take(2);
  return b ? ReadU16BE(b) : 0;
}

uint32_t ByteReader::U32() {
  const uint8_t* b = Take(4);
  return b ? ReadU32BE(b) : 0;
}

Rect ByteReader::ReadRect() {
  Rect r;
  r.top = I16();
  r.left = I16();
  r.bottom = I16();
  r.right = I16();
  return r;
}

Point ByteReader::ReadPoint() {
  Point p;
  p.v = I16();
  p.h = I16();
  return p;
}

bool ReadPixMapHeader(ByteReader& r, bool withBaseAddr, PixMapHeader* out) {
  if (withBaseAddr) r.Skip(4);
  uint16_t rowBytes = r.U16();
  out->isPixMap = (rowBytes & 0x8000) != 0;
  out->rowBytes = rowBytes & 0x3FFF;
  out->bounds = r.ReadRect();
  if (out->isPixMap) {
    r.U16();  // pmVersion
    out->packType = r.U16();
    r.U32();  // packSize
    r.U32();  // hRes
    r.U32();  // vRes
    out->pixelType = r.U16();
    out->pixelSize = r.U16();
    out->cmpCount = r.U16();
    out->cmpSize = r.U16();
    r.U32();  // planeBytes
    out->pmTable = r.U32();
    r.U32();  // pmReserved
  } else {
    out->pixelSize = 1;
    out->cmpCount = 1;
    out->cmpSize = 1;
  }
  return r.ok();
}

bool ValidPixMapHeader(const PixMapHeader& h) {
  int w = h.Width(), ht = h.Height();
  if (w <= 0 || ht <= 0 || w > kMaxImageSide || ht > kMaxImageSide) return false;
  if (long(w) * ht > kMaxImagePixels) return false;
  switch (h.pixelSize) {
    case 1: case 2: case 4: case 8: case 16: case 32: break;
    default: return false;
  }
  return true;
}

bool ReadColorTable(ByteReader& r, std::vector<uint32_t>* lookup) {
  lookup->assign(256, 0xFF000000u);
  r.U32();  // ctSeed
  uint16_t flags = r.U16();
  int16_t ctSize = r.I16();
  if (!r.ok() || ctSize < -1 || ctSize > 255) return false;
  for (int i = 0; i <= ctSize; ++i) {
    uint16_t value = r.U16();
    uint16_t red = r.U16(), green = r.U16(), blue = r.U16();
    if (!r.ok()) return false;
    int index = (flags & 0x8000) ? i : (value & 0xFF);
    (*lookup)[size_t(index)] = 0xFF000000u | (uint32_t(red >> 8) << 16) |
                               (uint32_t(green >> 8) << 8) | uint32_t(blue >> 8);
  }
  return true;
}

bool UnpackBits(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t dstLen, int unit) {
  size_t in = 0, out = 0;
  while (out < dstLen) {
    if (in >= srcLen) return false;
    int8_t n = int8_t(src[in++]);
    if (n == -128) continue;
    if (n >= 0) {
      size_t bytes = size_t(n + 1) * unit;
      if (bytes > srcLen - in || bytes > dstLen - out) return false;
      std::memcpy(dst + out, src + in, bytes);
      in += bytes;
      out += bytes;
    } else {
      size_t count = size_t(1 - n);
      if (size_t(unit) > srcLen - in || count * unit > dstLen - out) return false;
      for (size_t k = 0; k < count; ++k) std::memcpy(dst + out + k * unit, src + in, size_t(unit));
      in += size_t(unit);
      out += count * unit;
    }
  }
  return true;
}

namespace {

// Converts one unpacked row (in the map's own layout) into pixels.
void ConvertRow(const uint8_t* row, const PixMapHeader& h, const std::vector<uint32_t>& lookup,
                bool planar, bool rgb24, uint32_t* dst) {
  int w = h.Width();
  switch (h.pixelSize) {
    case 1: case 2: case 4: case 8: {
      int bits = h.pixelSize, perByte = 8 / bits, mask = (1 << bits) - 1;
      for (int x = 0; x < w; ++x) {
        int value = (row[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & mask;
        if (!h.isPixMap)
          dst[x] = value ? 0xFF000000u : 0xFFFFFFFFu;
        else
          dst[x] = lookup[size_t(value)];
      }
      break;
    }
    case 16:
      for (int x = 0; x < w; ++x) {
        uint16_t v = ReadU16BE(row + 2 * x);
        uint32_t r5 = (v >> 10) & 31, g5 = (v >> 5) & 31, b5 = v & 31;
        dst[x] = 0xFF000000u | (((r5 << 3) | (r5 >> 2)) << 16) | (((g5 << 3) | (g5 >> 2)) << 8) |
                 ((b5 << 3) | (b5 >> 2));
      }
      break;
    default:  // 32
      for (int x = 0; x < w; ++x) {
        uint32_t r, g, b;
        if (planar) {
          int skip = h.cmpCount >= 4 ? w : 0;  // an alpha plane comes first
          r = row[skip + x];
          g = row[skip + w + x];
          b = row[skip + 2 * w + x];
        } else if (rgb24) {
          r = row[3 * x];
          g = row[3 * x + 1];
          b = row[3 * x + 2];
        } else {
          r = row[4 * x + 1];
          g = row[4 * x + 2];
          b = row[4 * x + 3];
        }
        dst[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
      }
  }
}

long MinRowBytes(const PixMapHeader& h) { return (long(h.Width()) * h.pixelSize + 7) / 8; }

bool Prepare(const PixMapHeader& h, DecodedImage* out) {
  if (!ValidPixMapHeader(h)) return false;
  out->width = h.Width();
  out->height = h.Height();
  out->oneBit = !h.isPixMap;
  out->pixels.assign(size_t(out->width) * out->height, 0xFFFFFFFFu);
  return true;
}

}  // namespace

bool DecodeUnpackedRows(ByteReader& r, const PixMapHeader& h, const std::vector<uint32_t>& lookup,
                        DecodedImage* out) {
  if (!Prepare(h, out) || h.rowBytes < MinRowBytes(h)) return false;
  for (int y = 0; y < out->height; ++y) {
    const uint8_t* row = r.Take(size_t(h.rowBytes));
    if (!row) return false;
    ConvertRow(row, h, lookup, false, false, &out->pixels[size_t(y) * out->width]);
  }
  return true;
}

bool DecodePictureRows(ByteReader& r, const PixMapHeader& h, const std::vector<uint32_t>& lookup,
                       DecodedImage* out) {
  if (!Prepare(h, out)) return false;
  int w = out->width;
  int packType = h.packType;
  if (h.pixelSize == 32 && packType == 0) packType = 4;
  if (h.pixelSize == 16 && packType == 0) packType = 3;
  bool planar = h.pixelSize == 32 && packType == 4;
  bool rgb24 = h.pixelSize == 32 && packType == 2;
  bool packed = h.rowBytes >= 8 && packType != 1 && packType != 2;
  // The unpacked length of a row in its stored layout.
  size_t rowLen = size_t(h.rowBytes);
  if (planar) rowLen = size_t(w) * (h.cmpCount >= 4 ? 4 : 3);
  if (rgb24) rowLen = size_t(w) * 3;
  if (planar && h.cmpCount < 3) return false;
  if (!planar && !rgb24 && h.rowBytes < MinRowBytes(h)) return false;
  std::vector<uint8_t> row(rowLen + 4);
  for (int y = 0; y < out->height; ++y) {
    if (packed) {
      size_t count = h.rowBytes > 250 ? r.U16() : r.U8();
      const uint8_t* src = r.Take(count);
      if (!src) return false;
      int unit = (h.pixelSize == 16 && packType == 3) ? 2 : 1;
      if (!UnpackBits(src, count, row.data(), rowLen, unit)) return false;
    } else {
      const uint8_t* src = r.Take(rowLen);
      if (!src) return false;
      std::memcpy(row.data(), src, rowLen);
    }
    ConvertRow(row.data(), h, lookup, planar, rgb24, &out->pixels[size_t(y) * w]);
  }
  return true;
}

}  // namespace qd_internal
