#include "platform/vst/vst_interface.h"

#include <cstring>

void CopyVstString(char* dst, const char* src, size_t capacity) {
  if (!dst || capacity == 0) return;
  size_t n = src ? strnlen(src, capacity - 1) : 0;
  if (n) std::memcpy(dst, src, n);
  dst[n] = 0;
}
