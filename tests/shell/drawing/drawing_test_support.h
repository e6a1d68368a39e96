// Pixel helpers for the shell's drawing tests (on top of the drawing layer's GWorld helpers).
#pragma once

#include <cstring>

#include "tests/platform/quickdraw/qd_test_support.h"

namespace drawing_test {

using namespace qd_test;

inline bool IsInk(uint32_t p) { return p != kWhite; }

// Leftmost / rightmost column of r holding a pixel for which test holds, or -1.
template <typename Test>
int LeftmostWhere(const Rect& r, Test test) {
  for (short h = r.left; h < r.right; ++h)
    for (short v = r.top; v < r.bottom; ++v)
      if (test(PixelAt(h, v))) return h;
  return -1;
}
template <typename Test>
int RightmostWhere(const Rect& r, Test test) {
  for (short h = short(r.right - 1); h >= r.left; --h)
    for (short v = r.top; v < r.bottom; ++v)
      if (test(PixelAt(h, v))) return h;
  return -1;
}
inline int LeftmostInk(const Rect& r) { return LeftmostWhere(r, IsInk); }
inline int RightmostInk(const Rect& r) { return RightmostWhere(r, IsInk); }

// A Pascal string from C text.
struct PStr {
  unsigned char s[256];
  explicit PStr(const char* text) {
    size_t n = std::strlen(text);
    s[0] = static_cast<unsigned char>(n);
    std::memcpy(s + 1, text, n);
  }
  operator const unsigned char*() const { return s; }
};

}  // namespace drawing_test
