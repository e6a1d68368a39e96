// Reading the bit images of resources and pictures: a bounds-checked byte reader, colour
// tables, pixel-map headers, PackBits, and decoding rows of 1- to 32-bit pixels into
// 0xFFRRGGBB words. Every read checks the remaining length; a failed read marks the reader
// bad and returns zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/quickdraw/quickdraw_types.h"

namespace qd_internal {

class ByteReader {
 public:
  ByteReader(const void* data, size_t size)
      : p_(static_cast<const uint8_t*>(data)), size_(data ? size : 0) {}
  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t size() const { return size_; }
  size_t left() const { return ok_ ? size_ - pos_ : 0; }
  void Fail() { ok_ = false; }
  bool Seek(size_t pos);
  bool Skip(size_t n);
  // The next n bytes, or null (and the reader bad) when fewer are left.
  const uint8_t* Take(size_t n);
  uint8_t U8();
  uint16_t U16();
  int16_t I16() { return int16_t(U16()); }
  uint32_t U32();
  Rect ReadRect();
  Point ReadPoint();
  // Skips to an even offset (the padding of version 2 pictures).
  void Align2() {
    if (pos_ & 1) Skip(1);
  }

 private:
  const uint8_t* p_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// Largest side and pixel count of an image any decoder here accepts.
constexpr int kMaxImageSide = 4096;
constexpr long kMaxImagePixels = 4096L * 2048L;

struct DecodedImage {
  int width = 0;
  int height = 0;
  bool oneBit = false;  // pixels are only black and white, from a one-bit map
  std::vector<uint32_t> pixels;
};

// The fields of a PixMap (or BitMap, isPixMap false) record as stored in resources.
struct PixMapHeader {
  bool isPixMap = false;
  int rowBytes = 0;  // flag bits removed
  Rect bounds;
  int packType = 0;
  int pixelType = 0;
  int pixelSize = 1;
  int cmpCount = 1;
  int cmpSize = 1;
  uint32_t pmTable = 0;  // in resources: offset of the colour table
  int Width() const { return bounds.right - bounds.left; }
  int Height() const { return bounds.bottom - bounds.top; }
};

// Reads rowBytes and bounds, and when rowBytes has its high bit the 36 PixMap bytes after
// them (pmVersion ... pmReserved). withBaseAddr reads a 4-byte baseAddr first.
bool ReadPixMapHeader(ByteReader& r, bool withBaseAddr, PixMapHeader* out);
// Checks the header: sensible size, pixel size and row length.
bool ValidPixMapHeader(const PixMapHeader& h);
// Reads ctSeed, ctFlags, ctSize and the entries into a 256-entry lookup by pixel value.
bool ReadColorTable(ByteReader& r, std::vector<uint32_t>* lookup);
// Decodes rows stored without packing (rowBytes each).
bool DecodeUnpackedRows(ByteReader& r, const PixMapHeader& h, const std::vector<uint32_t>& lookup,
                        DecodedImage* out);
// Decodes rows as pictures store them (PackBits with byte counts, or the unpacked forms).
bool DecodePictureRows(ByteReader& r, const PixMapHeader& h, const std::vector<uint32_t>& lookup,
                       DecodedImage* out);
// PackBits: fills exactly dstLen bytes from src (unit 1 or 2 bytes); false when short or
// overflowing.
bool UnpackBits(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t dstLen, int unit);

}  // namespace qd_internal
