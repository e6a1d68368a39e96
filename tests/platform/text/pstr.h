// Pascal strings from C string literals of Mac Roman bytes, for the text tests.
#pragma once

#include <cstring>
#include <string>

#include "platform/memory/mac_types.h"

struct PStr {
  explicit PStr(const std::string& bytes) {
    size_t n = bytes.size() > 255 ? 255 : bytes.size();
    s[0] = static_cast<unsigned char>(n);
    std::memcpy(s + 1, bytes.data(), n);
  }
  operator StringPtr() { return s; }
  operator ConstStringPtr() const { return s; }
  Str255 s = {};
};

inline std::string Text(ConstStringPtr p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }
