// Builds 'PICT' version 2 images, cicn and ppat resources byte by byte for the tests (and
// the fuzzers' seeds).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory/mac_types.h"

namespace qd_test {

class Bytes {
 public:
  Bytes& U8(unsigned v) {
    b_.push_back(char(v & 0xFF));
    return *this;
  }
  Bytes& U16(unsigned v) { return U8(v >> 8).U8(v); }
  Bytes& U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
  Bytes& R(short top, short left, short bottom, short right) {
    return U16(uint16_t(top)).U16(uint16_t(left)).U16(uint16_t(bottom)).U16(uint16_t(right));
  }
  Bytes& P(short v, short h) { return U16(uint16_t(v)).U16(uint16_t(h)); }
  Bytes& Raw(const std::string& s) {
    b_ += s;
    return *this;
  }
  Bytes& Zeros(size_t n) {
    b_.append(n, '\0');
    return *this;
  }
  size_t size() const { return b_.size(); }
  const std::string& str() const { return b_; }
  std::string& mut() { return b_; }

 private:
  std::string b_;
};

// A version 2 picture: header, opcodes (each aligned), end.
class PictBuilder {
 public:
  explicit PictBuilder(Rect frame) {
    b_.U16(0).R(frame.top, frame.left, frame.bottom, frame.right).U16(0x0011).U16(0x02FF);
    Op(0x0C00).U16(0xFFFE).U16(0).U32(72 << 16).U32(72 << 16);
    b_.R(frame.top, frame.left, frame.bottom, frame.right).U32(0);
  }
  Bytes& Op(unsigned op) {
    if (b_.size() & 1) b_.U8(0);
    return b_.U16(op);
  }
  Bytes& Data() { return b_; }
  // A rectangular region: size 10 and its bounds.
  PictBuilder& RectRegion(Rect r) {
    b_.U16(10).R(r.top, r.left, r.bottom, r.right);
    return *this;
  }
  std::string Finish() {
    Op(0x00FF);
    std::string s = b_.str();
    size_t n = s.size() & 0xFFFF;
    s[0] = char(n >> 8);
    s[1] = char(n);
    return s;
  }

 private:
  Bytes b_;
};

// PixMap fields after rowBytes and bounds (36 bytes) for an indexed or direct map.
inline void PixMapTail(Bytes& b, int packType, int pixelSize, int cmpCount, int cmpSize,
                       uint32_t pmTable = 0) {
  b.U16(0).U16(unsigned(packType)).U32(0).U32(72 << 16).U32(72 << 16);
  b.U16(pixelSize <= 8 ? 0 : 16).U16(unsigned(pixelSize)).U16(unsigned(cmpCount)).U16(unsigned(cmpSize));
  b.U32(0).U32(pmTable).U32(0);
}

// A colour table of the given 0xRRGGBB colours (entry values 0, 1, 2 ...).
inline void ColorTable(Bytes& b, const std::vector<uint32_t>& colours) {
  b.U32(0).U16(0).U16(unsigned(colours.size() - 1));
  for (size_t i = 0; i < colours.size(); ++i) {
    uint32_t c = colours[i];
    b.U16(unsigned(i)).U16(((c >> 16) & 0xFF) * 257).U16(((c >> 8) & 0xFF) * 257).U16((c & 0xFF) * 257);
  }
}

// A 'cicn' of width x height 8-bit pixels (indices into colours), with a mask.
inline std::string MakeCIcon(int width, int height, const std::vector<uint32_t>& colours,
                             const std::vector<uint8_t>& indices, const std::vector<uint8_t>& maskRows) {
  Bytes b;
  int maskRowBytes = (width + 7) / 8;
  b.U32(0).U16(0x8000 | unsigned(width)).R(0, 0, short(height), short(width));
  PixMapTail(b, 0, 8, 1, 8);
  b.U32(0).U16(unsigned(maskRowBytes)).R(0, 0, short(height), short(width));  // mask BitMap
  b.U32(0).U16(unsigned(maskRowBytes)).R(0, 0, short(height), short(width));  // one-bit icon
  b.U32(0);                                                                     // iconData
  for (uint8_t m : maskRows) b.U8(m);
  b.Zeros(size_t(maskRowBytes) * height);  // the one-bit image (unused)
  ColorTable(b, colours);
  for (uint8_t i : indices) b.U8(i);
  return b.str();
}

}  // namespace qd_test
