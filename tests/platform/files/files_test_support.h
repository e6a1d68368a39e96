// Small helpers for the File Manager tests.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/files/files.h"
#include "platform/files/sidecars.h"
#include "tests/test_support.h"

namespace files_test {

// A Pascal string from C text (Mac Roman bytes as given).
struct PStr {
  Str255 bytes;
  explicit PStr(const std::string& text) {
    bytes[0] = static_cast<unsigned char>(text.size());
    std::memcpy(bytes + 1, text.data(), text.size());
  }
  operator ConstStr255Param() const { return bytes; }
};

inline std::string NameOf(const FSSpec& fileSpec) {
  return std::string(reinterpret_cast<const char*>(fileSpec.name + 1), fileSpec.name[0]);
}

// FSSpec of a path that must have an existing folder.
inline FSSpec SpecOf(const std::string& path) {
  FSSpec fileSpec;
  OSErr err = PathToSpec(path, &fileSpec);
  EXPECT_TRUE(err == noErr || err == fnfErr) << path << " gives " << err;
  return fileSpec;
}

inline bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Gives a file the Finder type type (the importers choose by it).
inline void SetFileType(const FSSpec& fileSpec, OSType type) {
  FInfo info;
  EXPECT_EQ(noErr, FSpGetFInfo(&fileSpec, &info));
  info.fdType = type;
  EXPECT_EQ(noErr, FSpSetFInfo(&fileSpec, &info));
}

}  // namespace files_test
