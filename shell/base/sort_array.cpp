#include "shell/base/sort_array.h"

#include <utility>

#include "platform/text/text_case.h"

namespace {

struct SortContext {
  void* base;
  SortCompareProc compare;
  SortSwapProc swap;
};

int32_t CompareStrings(void* base, int32_t i, int32_t j) {
  auto** strings = static_cast<ConstStringPtr*>(base);
  return RelString(strings[i], strings[j], false, true);
}

void SwapPointers(void* base, int32_t i, int32_t j) {
  auto** items = static_cast<void**>(base);
  std::swap(items[i], items[j]);
}

bool gDescending = false;

int32_t CompareBytes(void* base, int32_t i, int32_t j) {
  auto* bytes = static_cast<int8_t*>(base);
  int32_t d = int32_t(bytes[i]) - int32_t(bytes[j]);
  return gDescending ? -d : d;
}

void SwapBytes(void* base, int32_t i, int32_t j) {
  auto* bytes = static_cast<int8_t*>(base);
  std::swap(bytes[i], bytes[j]);
}

// Hoare partition around the middle element, moved to the start first. The smaller part is
// sorted by recursion and the larger one by the loop, so the depth stays logarithmic.
void SortRange(const SortContext& c, int32_t lo, int32_t hi) {
  while (lo < hi) {
    c.swap(c.base, lo, lo + (hi - lo) / 2);
    int32_t i = lo, j = hi + 1;
    for (;;) {
      do ++i; while (i <= hi && c.compare(c.base, i, lo) < 0);
      do --j; while (c.compare(c.base, j, lo) > 0);
      if (i >= j) break;
      c.swap(c.base, i, j);
    }
    c.swap(c.base, lo, j);
    if (j - lo < hi - j) {
      SortRange(c, lo, j - 1);
      lo = j + 1;
    } else {
      SortRange(c, j + 1, hi);
      hi = j - 1;
    }
  }
}

}  // namespace

void SortArray(void* base, int32_t n, SortCompareProc compare, SortSwapProc swap) {
  if (!base || n < 2) return;
  SortContext c{base, compare ? compare : CompareStrings, swap ? swap : SwapPointers};
  SortRange(c, 0, n - 1);
}

void SortSignedBytes(int8_t* bytes, int32_t n, bool descending) {
  gDescending = descending;
  SortArray(bytes, n, CompareBytes, SwapBytes);
}
