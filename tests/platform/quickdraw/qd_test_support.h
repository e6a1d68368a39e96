// Helpers for the drawing-layer tests: a GWorld that is the current port for a test's
// lifetime, and pixel readers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "platform/quickdraw/quickdraw.h"

namespace qd_test {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;

// A GWorld of the given bounds, current while the object lives; the old port comes back.
class ScopedGWorld {
 public:
  explicit ScopedGWorld(Rect bounds = Rect{0, 0, 100, 100}) {
    GetGWorld(&savedPort_, &savedDevice_);
    EXPECT_EQ(NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0), noErr);
    SetGWorld(world_, nullptr);
  }
  ~ScopedGWorld() {
    SetGWorld(savedPort_, savedDevice_);
    DisposeGWorld(world_);
  }
  ScopedGWorld(const ScopedGWorld&) = delete;
  ScopedGWorld& operator=(const ScopedGWorld&) = delete;
  GWorldPtr get() const { return world_; }

 private:
  GWorldPtr world_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

// RGB (0xRRGGBB) of the current port's pixel at a local point.
inline uint32_t PixelAt(short h, short v) {
  RGBColor c;
  GetCPixel(h, v, &c);
  return PixelFromRGB(c) & 0xFFFFFF;
}

// Number of pixels of the rectangle (local coordinates) for which the test holds.
inline int CountPixels(const Rect& r, const std::function<bool(uint32_t)>& test) {
  int n = 0;
  for (short v = r.top; v < r.bottom; ++v)
    for (short h = r.left; h < r.right; ++h)
      if (test(PixelAt(h, v))) ++n;
  return n;
}

inline int CountColor(const Rect& r, uint32_t rgb) {
  return CountPixels(r, [rgb](uint32_t p) { return p == rgb; });
}

inline RGBColor Rgb(uint32_t rgb) {
  return RGBColor{UInt16(((rgb >> 16) & 0xFF) * 257), UInt16(((rgb >> 8) & 0xFF) * 257),
                  UInt16((rgb & 0xFF) * 257)};
}

inline void SetFore(uint32_t rgb) {
  RGBColor c = Rgb(rgb);
  RGBForeColor(&c);
}

inline void SetBack(uint32_t rgb) {
  RGBColor c = Rgb(rgb);
  RGBBackColor(&c);
}

}  // namespace qd_test
